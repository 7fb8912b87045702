#include "db/utf8_to_wide.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "db/utf8_validation.h"
#include "db/wide_to_utf8.h"

using namespace std::string_literals;

// Well-formed text goes both ways unchanged. FindInvalidUtf8 gives the first byte outside a
// well-formed sequence; Utf8ToWide turns a malformed sequence into one "?" and consumes the bytes
// that its lead byte announces, as far as they are there, and decodes overlong forms and encoded
// surrogates by the same arithmetic (the UTF-16 form of the four-byte forms that are out of range
// is not pinned).
TEST(Utf8Test, ValidatesDecodesAndEncodesUtf8) {
  const std::tuple<std::string, std::optional<std::u16string>, std::optional<std::size_t>> cases[] =
      {
          {"", u"", std::nullopt},
          {"plain\ttext\0b"s, u"plain\ttext\0b"s, std::nullopt},
          {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x90\x80\x80 \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF",
           u"caf\u00E9 \u20AC \U00010000 \U0001F600 \U0010FFFF", std::nullopt},
          {"\xED\x9F\xBF", u"\uD7FF", std::nullopt},  // the last code point before the surrogates
          {"it\x92s \x80", u"it?s ?", 2},             // single-byte code page text
          {"ab\xC3", u"ab?", 2},                      // lead byte as the last byte
          {"\xC3\xA9\xC3(", u"\u00E9?", 2},           // both bytes of the two-byte form consumed
          {"x\xE2\x82", u"x?", 1},                    // three-byte form cut short
          {"\xF0\x41\x42\x43", u"?", 0},              // four-byte form with bad continuations
          {"\xF0\x9F\x98\x41", u"?", 0},              // four-byte form with a bad last byte
          {"\xF8\x41\x42", u"?B", 0},                 // F8-FF: two bytes consumed
          {"\xFF", u"?", 0},
          {"\xC0\xAF", u"/", 0},  // overlong forms
          {"\xC1\xBF", u"\x7F", 0},
          {"\xE0\x9F\xBF", u"\u07FF", 0},
          {"\xF0\x8F\xBF\xBF", std::nullopt, 0},
          {"\xED\xA0\x80", u"\xD800", 0},         // an encoded surrogate
          {"\xF4\x90\x80\x80", std::nullopt, 0},  // above U+10FFFF
          {"\xF5\x80\x80\x80", std::nullopt, 0},
      };
  for (const auto& [utf8, wide, invalidAt] : cases) {
    EXPECT_EQ(FindInvalidUtf8(utf8), invalidAt) << utf8;
    EXPECT_EQ(wide ? Utf8ToWide(utf8) : u"", wide.value_or(u"")) << utf8;
    EXPECT_EQ(invalidAt ? utf8 : WideToUtf8(*wide), utf8) << utf8;
  }
  EXPECT_EQ(WideToUtf8(u"a\xD800\x0062\xDC00\xD83D"), "a?b??");  // unpaired surrogates
}
