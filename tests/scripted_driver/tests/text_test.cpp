#include "text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scripted {
namespace {

std::vector<SQLWCHAR> Units(std::u16string_view text) {
  std::vector<SQLWCHAR> units(text.begin(), text.end());
  units.push_back(0);
  return units;
}

TEST(TextTest, Utf16ToUtf8HandlesSurrogatePairsAndLengths) {
  const std::vector<SQLWCHAR> text = Units(u"a\u00E9\u20AC\U0001F600z");
  EXPECT_EQ(Utf16ToUtf8(text.data(), SQL_NTS), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_EQ(Utf16ToUtf8(text.data(), 2), "a\xC3\xA9");
  EXPECT_EQ(Utf16ToUtf8(nullptr, SQL_NTS), "");
  const std::vector<SQLWCHAR> lone = {0xD800, 'x', 0xDC00, 0};
  EXPECT_EQ(Utf16ToUtf8(lone.data(), SQL_NTS), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(TextTest, Utf8ToUtf16ReplacesInvalidBytes) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3\xA9\xF0\x9F\x98\x80"), u"a\u00E9\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");          // cut short
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // a surrogate
}

TEST(TextTest, CopyOutCutsAndTerminates) {
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_TRUE(CopyOut("abcdef", reinterpret_cast<SQLCHAR*>(buffer), 4));
  EXPECT_STREQ(buffer, "abc");
  EXPECT_FALSE(CopyOut("ab", reinterpret_cast<SQLCHAR*>(buffer), 4));
  EXPECT_STREQ(buffer, "ab");
  EXPECT_TRUE(CopyOut("ab", nullptr, 0));
  EXPECT_FALSE(CopyOut("", nullptr, 0));
}

TEST(TextTest, CopyOutWideNeverSplitsASurrogatePair) {
  SQLWCHAR buffer[3] = {1, 1, 1};
  EXPECT_TRUE(CopyOutWide(u"a\U0001F600", buffer, 3));
  EXPECT_EQ(buffer[0], u'a');
  EXPECT_EQ(buffer[1], 0);
  EXPECT_FALSE(CopyOutWide(u"ab", buffer, 3));
  EXPECT_EQ(buffer[1], u'b');
  EXPECT_EQ(buffer[2], 0);
}

}  // namespace
}  // namespace scripted
