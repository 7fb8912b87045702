#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <string_view>

/// A script file opened for reading by its printed path, whose separators are backslashes. The
/// path is turned into this system's form here and nowhere else. The file is closed when the
/// object goes out of scope.
class ScriptFile {
 public:
  explicit ScriptFile(std::string_view printedPath);
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;

  /// False when the file cannot be opened, or cannot be read at all (a folder, for one), or is no
  /// regular file (a FIFO or a device, which could block the run for good): such a path is never
  /// taken as an empty script.
  bool IsOpen() const { return open_; }

  std::istream& stream() { return stream_; }

 private:
  static constexpr std::size_t kBufferSize = 1 << 16;

  std::unique_ptr<char[]> buffer_;
  std::ifstream stream_;
  bool open_ = false;
};
