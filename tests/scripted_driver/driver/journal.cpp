#include "journal.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <utility>

namespace scripted {

std::string EscapeForJournal(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
          out += "\\x";
          out += kHex[byte >> 4];
          out += kHex[byte & 0x0F];
        } else {
          out += c;
        }
      }
    }
  }
  return out;
}

Journal::Journal(Journal&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

Journal& Journal::operator=(Journal&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Journal::~Journal() {
  Close();
}

std::string Journal::Open(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return strerror(errno);
  return {};
}

void Journal::Close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

void Journal::Write(std::string_view line) const {
  if (fd_ < 0) return;
  std::string text;
  text.reserve(line.size() + 1);
  text.append(line);
  text += '\n';
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = ::write(fd_, rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;  // a journal that cannot be written must not break the application under test
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace scripted
