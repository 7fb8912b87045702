#include "platform/text_file.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

/// Drops every CR that directly precedes an LF.
std::string ConvertLineEnds(const std::string& raw) {
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text.push_back(raw[i]);
  }
  return text;
}

}  // namespace

std::optional<std::string> ReadTextFile(const std::string& path) {
  const FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::string raw;
  std::array<char, 4096> chunk{};
  std::size_t count = 0;
  while ((count = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
    raw.append(chunk.data(), count);
  }
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return ConvertLineEnds(raw);
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::status(path, error));
}
