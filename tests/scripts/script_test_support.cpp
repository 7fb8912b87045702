#include "script_test_support.h"

#include <fstream>
#include <random>
#include <stdexcept>

ConsoleCapture::ConsoleCapture()
    : savedOut_(std::cout.rdbuf(out_.rdbuf())), savedErr_(std::cerr.rdbuf(err_.rdbuf())) {}

ConsoleCapture::~ConsoleCapture() {
  std::cout.rdbuf(savedOut_);
  std::cerr.rdbuf(savedErr_);
}

std::vector<std::string> ConsoleCapture::OutLines() const {
  return SplitAtLineFeeds(out());
}

std::vector<std::string> ConsoleCapture::ErrLines() const {
  return SplitAtLineFeeds(err());
}

ScratchFolder::ScratchFolder() : previous_(std::filesystem::current_path()) {
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("schemalift-scripts-" + std::to_string(seed()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      std::filesystem::current_path(path_);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void ScratchFolder::WriteFile(const std::filesystem::path& relative,
                              std::string_view content) const {
  const std::filesystem::path target = path_ / relative;
  std::filesystem::create_directories(target.parent_path());
  std::ofstream file(target, std::ios::binary);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + target.string());
}

std::vector<std::string> SplitAtLineFeeds(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

FailingStreamBuf::FailingStreamBuf(std::string text) : text_(std::move(text)) {}

FailingStreamBuf::int_type FailingStreamBuf::underflow() {
  if (!handedOut_ && !text_.empty()) {
    handedOut_ = true;
    setg(text_.data(), text_.data(), text_.data() + text_.size());
    return traits_type::to_int_type(text_.front());
  }
  throw std::runtime_error("device read failure");
}
