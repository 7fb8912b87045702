// Utf8ToWide on arbitrary bytes, compared with its conversion table; well-formed UTF-8 is also
// compared with a strict decoder.
#include <optional>
#include <string>
#include <string_view>

#include "db/utf8_to_wide.h"
#include "fuzz_support.h"

namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

/// The UTF-16 form of well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF), or no
/// value when the text is not well-formed.
std::optional<std::u16string> DecodeStrictUtf8(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if (b0 < 0x80) {
      length = 1;
      codePoint = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
      codePoint = b0 & 0x1Fu;
      smallest = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      codePoint = b0 & 0x0Fu;
      smallest = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      codePoint = b0 & 0x07u;
      smallest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (text.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (!IsContinuation(byte)) return std::nullopt;
      codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return std::nullopt;
    }
    if (codePoint >= 0x10000) {
      const char32_t offset = codePoint - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(codePoint));
    }
    i += length;
  }
  return out;
}

/// The conversion table written out, step by step: one lead byte and the bytes that its row
/// reads, giving one or two code units or "?".
std::u16string ConvertByTable(std::string_view text) {
  std::u16string out;
  const auto at = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned b0 = at(i);
    const std::size_t after = text.size() - i - 1;
    if (b0 <= 0x7F) {
      out.push_back(static_cast<char16_t>(b0));
      i += 1;
    } else if (b0 <= 0xBF || after == 0) {
      out.push_back(u'?');
      i += 1;
    } else if (b0 <= 0xDF) {
      const unsigned b1 = at(i + 1);
      out.push_back(IsContinuation(static_cast<unsigned char>(b1))
                        ? static_cast<char16_t>((b0 - 0xC0) * 64 + (b1 - 0x80))
                        : u'?');
      i += 2;
    } else if (b0 <= 0xEF && after == 1) {
      out.push_back(u'?');
      i += 2;
    } else if (b0 <= 0xEF) {
      const unsigned b1 = at(i + 1), b2 = at(i + 2);
      if (IsContinuation(static_cast<unsigned char>(b1)) &&
          IsContinuation(static_cast<unsigned char>(b2))) {
        out.push_back(
            static_cast<char16_t>(((b0 - 0xE0) * 4096 + (b1 - 0x80) * 64 + (b2 - 0x80)) & 0xFFFF));
      } else {
        out.push_back(u'?');
      }
      i += 3;
    } else if (b0 <= 0xF7 && after < 3) {
      out.push_back(u'?');
      i = text.size();
    } else if (b0 <= 0xF7) {
      const unsigned b1 = at(i + 1), b2 = at(i + 2), b3 = at(i + 3);
      if (IsContinuation(static_cast<unsigned char>(b1)) &&
          IsContinuation(static_cast<unsigned char>(b2)) &&
          IsContinuation(static_cast<unsigned char>(b3))) {
        const unsigned plane = ((b0 & 7) * 4) | ((b1 >> 4) & 3);
        const unsigned high = 0xD800 | ((plane - 1) * 64) | ((b1 & 0x0F) * 4) | ((b2 >> 4) & 3);
        const unsigned low = 0xDC00 | ((b2 & 0x0F) * 64) | (b3 & 0x3F);
        out.push_back(static_cast<char16_t>(high & 0xFFFF));
        out.push_back(static_cast<char16_t>(low & 0xFFFF));
      } else {
        out.push_back(u'?');
      }
      i += 4;
    } else {
      out.push_back(u'?');
      i += 2;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = AsText(data, size);
  const std::u16string wide = Utf8ToWide(input);
  FUZZ_CHECK(wide.size() <= input.size());
  FUZZ_CHECK(input.empty() == wide.empty());

  bool ascii = true;
  for (const char character : input) ascii = ascii && static_cast<unsigned char>(character) < 0x80;
  if (ascii) {
    FUZZ_CHECK(wide.size() == input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
      FUZZ_CHECK(wide[i] == static_cast<char16_t>(static_cast<unsigned char>(input[i])));
    }
  }

  FUZZ_CHECK(wide == ConvertByTable(input));
  if (const std::optional<std::u16string> expected = DecodeStrictUtf8(input)) {
    FUZZ_CHECK(wide == *expected);
  }
  return 0;
}
