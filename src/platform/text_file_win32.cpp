#include "platform/text_file.h"

#include <share.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};

}  // namespace

// Opened in text mode, where the runtime library reads CR LF as LF and takes a Ctrl+Z byte as
// the end of the file, and with deny-none sharing, so that a file the server holds open for
// writing can still be read.
std::optional<std::string> ReadTextFile(const std::string& path) {
  const FileHandle file(_fsopen(path.c_str(), "rt", _SH_DENYNO));
  if (!file) return std::nullopt;
  std::string text;
  std::array<char, 4096> chunk{};
  std::size_t count = 0;
  while ((count = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
    text.append(chunk.data(), count);
  }
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return text;
}

// Only a file on a disk counts: a folder cannot be opened this way, and a device name (NUL, CON,
// COM1) or a pipe gives another file type.
bool IsRegularFile(const std::string& path) {
  const HANDLE opened = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  const std::unique_ptr<void, HandleCloser> file(opened);
  return GetFileType(file.get()) == FILE_TYPE_DISK;
}
