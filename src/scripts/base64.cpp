#include "scripts/base64.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kExaminedPrefix = 256;

bool IsAsciiAlnum(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

int AlphabetValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsSkippedBlank(unsigned char c) {
  return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ';
}

std::string_view UpToFirstZero(std::string_view text) {
  const std::size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

std::size_t DecodedCapacity(std::string_view text) {
  std::size_t capacity = (text.size() / 4) * 3;
  if (capacity > 2) {
    if (text[text.size() - 1] == '=') --capacity;
    if (text[text.size() - 2] == '=') --capacity;
  }
  return capacity;
}

}  // namespace

bool IsBase64Text(std::string_view text) {
  const std::string_view examined = UpToFirstZero(text).substr(0, kExaminedPrefix);
  for (const char ch : examined) {
    const auto c = static_cast<unsigned char>(ch);
    if (!IsAsciiAlnum(c) && c != '+' && c != '/' && c != '=') return false;
  }
  return true;
}

std::optional<std::string> Base64Decode(std::string_view text) {
  const std::string_view input = UpToFirstZero(text);
  const std::size_t capacity = DecodedCapacity(input);
  std::string out;
  out.reserve(capacity);
  std::uint32_t accumulator = 0;
  int bits = 0;
  for (const char ch : input) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '=') break;
    if (IsSkippedBlank(c)) continue;
    const int value = AlphabetValue(c);
    if (value < 0 || out.size() == capacity) return std::nullopt;
    accumulator = ((accumulator << 6) | static_cast<std::uint32_t>(value)) & 0xFFFFFFu;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((accumulator >> bits) & 0xFFu));
    }
  }
  return out;
}

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve(((bytes.size() + 2) / 3) * 4);
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned b0 = byteAt(i), b1 = byteAt(i + 1), b2 = byteAt(i + 2);
    out.push_back(kAlphabet[b0 >> 2]);
    out.push_back(kAlphabet[((b0 & 3u) << 4) | (b1 >> 4)]);
    out.push_back(kAlphabet[((b1 & 15u) << 2) | (b2 >> 6)]);
    out.push_back(kAlphabet[b2 & 63u]);
  }
  if (bytes.size() - i == 1) {
    const unsigned b0 = byteAt(i);
    out.push_back(kAlphabet[b0 >> 2]);
    out.push_back(kAlphabet[(b0 & 3u) << 4]);
    out.append("==");
  } else if (bytes.size() - i == 2) {
    const unsigned b0 = byteAt(i), b1 = byteAt(i + 1);
    out.push_back(kAlphabet[b0 >> 2]);
    out.push_back(kAlphabet[((b0 & 3u) << 4) | (b1 >> 4)]);
    out.push_back(kAlphabet[(b1 & 15u) << 2]);
    out.push_back('=');
  }
  return out;
}
