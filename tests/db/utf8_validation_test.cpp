#include "db/utf8_validation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct ValidityCase {
  std::string text;
  std::optional<std::size_t> invalidAt;
};

TEST(Utf8ValidationTest, FindsTheFirstByteOutsideAWellFormedSequence) {
  const ValidityCase cases[] = {
      {"", std::nullopt},
      {"plain\ttext\0"s, std::nullopt},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", std::nullopt},
      {"it\x92s \x80", 2},   // single-byte code page text
      {"ab\xC3", 2},         // lead byte at the end
      {"\xC3\xA9\xC3(", 2},  // lead byte without its continuation
      {"x\xE2\x82", 1},      // three-byte form cut short
      {"\xC0\xAF", 0},       // overlong two-byte form
      {"\xC1\xBF", 0},
      {"\xE0\x9F\xBF", 0},             // overlong three-byte form
      {"\xED\xA0\x80", 0},             // an encoded surrogate
      {"\xED\x9F\xBF", std::nullopt},  // the last code point before the surrogates
      {"\xF0\x8F\xBF\xBF", 0},         // overlong four-byte form
      {"\xF4\x90\x80\x80", 0},         // above U+10FFFF
      {"\xF5\x80\x80\x80", 0},
      {"\xF0\x9F\x98"
       "A",
       0},  // four-byte form with a bad last byte
      {"\xFF", 0},
  };
  for (const ValidityCase& c : cases) EXPECT_EQ(FindInvalidUtf8(c.text), c.invalidAt) << c.text;
}

}  // namespace
