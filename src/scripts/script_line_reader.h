#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

/// Reads a script's lines. A line ends at a line feed, which is not part of it; a carriage return
/// right before the line feed is not part of it either. A last line without a line feed is still
/// a line. A UTF-8 byte-order mark at the very start of the stream is not part of the first line.
class ScriptLineReader {
 public:
  /// `path` names the stream in error texts.
  ScriptLineReader(std::istream& stream, std::string_view path);

  /// The next line, into `line`. False at the end of the stream. Throws std::runtime_error when
  /// the stream fails while being read.
  bool ReadLine(std::string& line);

  /// The number of lines read so far.
  std::uint64_t lineCount() const { return lineCount_; }

 private:
  std::istream& stream_;
  std::string path_;
  std::uint64_t lineCount_ = 0;
};

/// Hands each further line of the reader to `onLine` until the end of the stream, or until
/// `onLine` returns false. The one loop over script lines that every runner uses.
template <typename OnLine>
void ForEachScriptLine(ScriptLineReader& reader, OnLine&& onLine) {
  std::string line;
  while (reader.ReadLine(line)) {
    if (!onLine(static_cast<const std::string&>(line))) return;
  }
}
