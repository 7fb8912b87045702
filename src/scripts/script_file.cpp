#include "scripts/script_file.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/native_path.h"

namespace {

/// Whether the path names a regular file, or a link to one. Anything else is not opened: opening a
/// FIFO for reading blocks until a writer appears (and no stop signal ends that wait), and a
/// device may never reach its end.
bool IsRegularFile(const std::string& nativePath) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::status(nativePath, error));
}

}  // namespace

ScriptFile::ScriptFile(std::string_view printedPath)
    : buffer_(std::make_unique<char[]>(kBufferSize)) {
  stream_.rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
  const std::string nativePath = ToNativePath(printedPath);
  if (!IsRegularFile(nativePath)) return;
  stream_.open(nativePath, std::ios::in | std::ios::binary);
  if (stream_.fail()) return;
  // The first read tells a readable file (empty ones included) from one that cannot be read.
  stream_.peek();
  open_ = !stream_.bad();
  stream_.clear(stream_.rdstate() & ~std::ios::eofbit);
}
