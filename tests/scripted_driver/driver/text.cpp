#include "text.h"

#include <algorithm>
#include <cstring>

namespace scripted {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Decodes the code point at `i` of UTF-8 `text` and moves `i` past it.
char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    c = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    c = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    c = lead & 0x07;
    minimum = 0x10000;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      return kReplacement;
    }
    c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  return c < minimum || c > 0x10FFFF || surrogate ? kReplacement : c;
}

}  // namespace

std::string Utf16ToUtf8(const SQLWCHAR* text, SQLLEN length) {
  std::string out;
  if (text == nullptr) return out;
  std::size_t count = 0;
  if (length == SQL_NTS) {
    while (text[count] != 0) ++count;
  } else {
    count = static_cast<std::size_t>(std::max<SQLLEN>(length, 0));
  }
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(text[i + 1])) {
      const char32_t low = text[++i];
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = DecodeUtf8(text, i);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

bool CopyOut(std::string_view text, SQLCHAR* buffer, SQLLEN bufferLength) {
  if (buffer == nullptr || bufferLength <= 0) return !text.empty();
  const std::size_t count = std::min(static_cast<std::size_t>(bufferLength) - 1, text.size());
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count < text.size();
}

bool CopyOutWide(std::u16string_view text, SQLWCHAR* buffer, SQLLEN bufferLength) {
  if (buffer == nullptr || bufferLength <= 0) return !text.empty();
  std::size_t count = std::min(static_cast<std::size_t>(bufferLength) - 1, text.size());
  // Never cut between the two halves of a surrogate pair.
  if (count < text.size() && count > 0 && IsHighSurrogate(text[count - 1])) --count;
  for (std::size_t i = 0; i < count; ++i) buffer[i] = text[i];
  buffer[count] = 0;
  return count < text.size();
}

}  // namespace scripted
