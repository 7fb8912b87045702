#include "db/utf8_to_wide.h"

#include "db/wide_to_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct Utf8Case {
  std::string input;
  std::u16string expected;
};

// Well-formed text goes both ways unchanged.
TEST(Utf8ToWideTest, DecodesWellFormedTextAndEncodesItBack) {
  const Utf8Case cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"\xC3\xA9", u"\u00E9"},
      {"caf\xC3\xA9!", u"caf\u00E9!"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF0\x90\x80\x80", u"\U00010000"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"a\0b"s, u"a\0b"s},
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.input), c.expected) << c.input;
    EXPECT_EQ(WideToUtf8(c.expected), c.input) << c.input;
  }
}

TEST(WideToUtf8Test, WritesAnUnpairedSurrogateAsAQuestionMark) {
  EXPECT_EQ(WideToUtf8(u"a\xD800"
                       "b"),
            "a?b");
  EXPECT_EQ(WideToUtf8(u"\xDC00\xD83D"), "??");
}

TEST(Utf8ToWideTest, ReplacesMalformedSequencesAndConsumesTheirBytes) {
  const Utf8Case cases[] = {
      {"\x80", u"?"},    // stray continuation byte
      {"x\xE9", u"x?"},  // lead byte as the last byte
      {"\xC3"
       "A",
       u"?"},              // two-byte form without continuation: both bytes consumed
      {"\xE2\x82", u"?"},  // three-byte form cut after one byte
      {"\xE2"
       "AB",
       u"?"},                  // three-byte form with bad continuations: three consumed
      {"\xF0\x9F\x98", u"?"},  // four-byte form cut short: the rest consumed
      {"\xF0"
       "ABC",
       u"?"},  // four-byte form with bad continuations
      {"\xF8"
       "AB",
       u"?B"},  // F8-FF: two bytes consumed
      {"\xFF", u"?"},
  };
  for (const Utf8Case& c : cases) EXPECT_EQ(Utf8ToWide(c.input), c.expected) << c.input;
}

TEST(Utf8ToWideTest, DecodesOverlongFormsByTheSameArithmetic) {
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"/");
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), std::u16string(1, char16_t{0xD800}));
}

}  // namespace
