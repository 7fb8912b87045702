#include "db/utf8_to_wide.h"

#include <gtest/gtest.h>

#include <string>

#include "db/wide_to_utf8.h"

using namespace std::string_literals;

// Well-formed text goes both ways unchanged; a malformed sequence becomes one "?" and consumes
// the bytes that its lead byte announces, as far as they are there.
TEST(Utf8ToWideTest, DecodesUtf8AndEncodesItBack) {
  const struct {
    std::string utf8;
    std::u16string wide;
    bool roundTrip;
  } cases[] = {
      {"", u"", true},
      {"caf\xC3\xA9!", u"caf\u00E9!", true},
      {"\xE2\x82\xAC", u"\u20AC", true},
      {"\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF", u"\U00010000 \U0010FFFF", true},
      {"a\0b"s, u"a\0b"s, true},
      {"\x80", u"?", false},    // stray continuation byte
      {"x\xE9", u"x?", false},  // lead byte as the last byte
      {"\xC3"
       "A",
       u"?", false},              // both bytes of the two-byte form consumed
      {"\xE2\x82", u"?", false},  // three-byte form cut short
      {"\xF0"
       "ABC",
       u"?", false},  // four-byte form with bad continuations
      {"\xF8"
       "AB",
       u"?B", false},                      // F8-FF: two bytes consumed
      {"\xC0\xAF", u"/", false},           // overlong form, decoded by the same arithmetic
      {"\xED\xA0\x80", u"\xD800", false},  // an encoded surrogate, likewise
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    if (c.roundTrip) {
      EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
    }
  }
  EXPECT_EQ(WideToUtf8(u"a\xD800"
                       u"b\xDC00\xD83D"),
            "a?b??");  // unpaired surrogates
}
