#include "scripts/script_file.h"

#include <string>

#include "platform/native_path.h"

ScriptFile::ScriptFile(std::string_view printedPath)
    : buffer_(std::make_unique<char[]>(kBufferSize)) {
  stream_.rdbuf()->pubsetbuf(buffer_.get(), kBufferSize);
  stream_.open(ToNativePath(printedPath), std::ios::in | std::ios::binary);
  if (stream_.fail()) return;
  // The first read tells a readable file (empty ones included) from one that cannot be read.
  stream_.peek();
  open_ = !stream_.bad();
  stream_.clear(stream_.rdstate() & ~std::ios::eofbit);
}
