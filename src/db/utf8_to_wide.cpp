#include "db/utf8_to_wide.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr char16_t kReplacement = u'?';

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

void AppendFourByteForm(std::u16string& out, unsigned char b0, unsigned char b1, unsigned char b2,
                        unsigned char b3) {
  const unsigned plane = ((b0 & 7u) * 4u) | ((b1 >> 4) & 3u);
  const unsigned high = 0xD800u | ((plane - 1u) * 64u) | ((b1 & 0x0Fu) * 4u) | ((b2 >> 4) & 3u);
  const unsigned low = 0xDC00u | ((b2 & 0x0Fu) * 64u) | (b3 & 0x3Fu);
  out.push_back(static_cast<char16_t>(high & 0xFFFFu));
  out.push_back(static_cast<char16_t>(low & 0xFFFFu));
}

}  // namespace

std::u16string Utf8ToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b0 = byteAt(i);
    const std::size_t remaining = text.size() - i - 1;
    if (b0 < 0x80) {
      out.push_back(b0);
      i += 1;
    } else if (b0 < 0xC0 || remaining == 0) {
      out.push_back(kReplacement);
      i += 1;
    } else if (b0 < 0xE0) {
      const unsigned char b1 = byteAt(i + 1);
      out.push_back(IsContinuation(b1) ? static_cast<char16_t>(((b0 - 0xC0u) * 64u) + (b1 - 0x80u))
                                       : kReplacement);
      i += 2;
    } else if (b0 < 0xF0) {
      if (remaining < 2) {
        out.push_back(kReplacement);
        i += 2;
        continue;
      }
      const unsigned char b1 = byteAt(i + 1);
      const unsigned char b2 = byteAt(i + 2);
      if (IsContinuation(b1) && IsContinuation(b2)) {
        const unsigned unit = ((b0 - 0xE0u) * 4096u) + ((b1 - 0x80u) * 64u) + (b2 - 0x80u);
        out.push_back(static_cast<char16_t>(unit & 0xFFFFu));
      } else {
        out.push_back(kReplacement);
      }
      i += 3;
    } else if (b0 < 0xF8) {
      if (remaining < 3) {
        out.push_back(kReplacement);
        i = text.size();
        continue;
      }
      const unsigned char b1 = byteAt(i + 1);
      const unsigned char b2 = byteAt(i + 2);
      const unsigned char b3 = byteAt(i + 3);
      if (IsContinuation(b1) && IsContinuation(b2) && IsContinuation(b3)) {
        AppendFourByteForm(out, b0, b1, b2, b3);
      } else {
        out.push_back(kReplacement);
      }
      i += 4;
    } else {
      out.push_back(kReplacement);
      i += 2;
    }
  }
  return out;
}
