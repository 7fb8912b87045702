#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <system_error>

namespace {

/// A stream buffer that accepts and drops every character.
class DiscardingStreamBuf final : public std::streambuf {
 protected:
  int_type overflow(int_type character) override { return traits_type::not_eof(character); }
  std::streamsize xsputn(const char_type*, std::streamsize count) override { return count; }
};

std::FILE* reportStream = stderr;

/// Removes the scratch folder when the process ends.
class ScratchFolderOwner {
 public:
  ScratchFolderOwner() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "schemalift-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::fprintf(reportStream, "cannot create a scratch folder below %s\n",
                   std::filesystem::temp_directory_path().c_str());
      std::abort();
    }
    path_ = pattern;
  }
  ~ScratchFolderOwner() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolderOwner(const ScratchFolderOwner&) = delete;
  ScratchFolderOwner& operator=(const ScratchFolderOwner&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

void InitializeFuzzTarget() {
  static DiscardingStreamBuf discard;
  std::cout.rdbuf(&discard);
  std::cerr.rdbuf(&discard);
  const int reportFd = ::dup(STDERR_FILENO);
  if (reportFd >= 0) {
    if (std::FILE* stream = ::fdopen(reportFd, "w")) {
      std::setvbuf(stream, nullptr, _IONBF, 0);
      reportStream = stream;
    }
  }
}

void ReportBrokenInvariant(const char* condition, const char* file, int line) {
  std::fprintf(reportStream, "%s:%d: broken invariant: %s\n", file, line, condition);
  std::abort();
}

std::vector<std::string> SplitAtZeroBytes(std::string_view text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t zero = text.find('\0', start);
    if (zero == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      return pieces;
    }
    pieces.emplace_back(text.substr(start, zero - start));
    start = zero + 1;
  }
}

std::vector<std::string_view> SplitAtLineFeedsView(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string converted;
  converted.reserve(text.size() * 2);
  for (const char character : text) {
    if (character == '\n') converted.push_back('\r');
    converted.push_back(character);
  }
  return converted;
}

std::string WithoutCrBeforeLf(std::string_view text) {
  std::string converted;
  converted.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    converted.push_back(text[i]);
  }
  return converted;
}

const std::filesystem::path& FuzzScratchFolder() {
  static const ScratchFolderOwner owner;
  return owner.path();
}

void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  stream.close();
  if (!stream) {
    std::fprintf(reportStream, "cannot write %s\n", file.c_str());
    std::abort();
  }
}
