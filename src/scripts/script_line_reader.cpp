#include "scripts/script_line_reader.h"

#include <stdexcept>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

ScriptLineReader::ScriptLineReader(std::istream& stream, std::string_view path)
    : stream_(stream), path_(path) {}

bool ScriptLineReader::ReadLine(std::string& line) {
  std::getline(stream_, line);
  if (stream_.bad()) {
    throw std::runtime_error("Cannot read script file '" + path_ + "' after line " +
                             std::to_string(lineCount_) + ".");
  }
  if (stream_.fail()) return false;
  // Without end of file, getline stopped at a line feed: a carriage return before it goes too.
  if (!stream_.eof() && !line.empty() && line.back() == '\r') line.pop_back();
  if (lineCount_ == 0 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
  ++lineCount_;
  return true;
}
