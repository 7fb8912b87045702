#include "scripts/script_file.h"

#include <string>

#include "platform/native_path.h"
#include "platform/text_file.h"

ScriptFile::ScriptFile(std::string_view printedPath)
    : buffer_(std::make_unique<char[]>(kBufferSize)) {
  stream_.rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
  const std::string nativePath = ToNativePath(printedPath);
  // Anything but a regular file is not opened: opening a FIFO for reading blocks until a writer
  // appears (and no stop signal ends that wait), and a device may never reach its end.
  if (!IsRegularFile(nativePath)) return;
  stream_.open(nativePath, std::ios::in | std::ios::binary);
  if (stream_.fail()) return;
  // The first read tells a readable file (empty ones included) from one that cannot be read.
  stream_.peek();
  open_ = !stream_.bad();
  stream_.clear(stream_.rdstate() & ~std::ios::eofbit);
}
