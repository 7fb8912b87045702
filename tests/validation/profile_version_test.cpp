#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "validation/profile_version.h"

namespace {

using namespace std::string_literals;

TEST(ExtractProfileVersionTest, TakesTheFiveBytesAfterTheTag) {
  EXPECT_EQ(ExtractProfileVersion("<x><profileVersion>5.5.0</profileVersion></x>"), "5.5.0");
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>6.0.0</profileVersion>"), "6.0.0");
}

TEST(ExtractProfileVersionTest, DoesNotLookForTheClosingTag) {
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>10.0.0</profileVersion>"), "10.0.");
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>6</profileVersion>"), "6</pr");
}

TEST(ExtractProfileVersionTest, UsesTheFirstOccurrence) {
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>5.1.0 <profileVersion>6.0.0"), "5.1.0");
}

TEST(ExtractProfileVersionTest, IsZeroWithoutTheTag) {
  EXPECT_EQ(ExtractProfileVersion("<profile>6.0.0</profile>"), "0");
  EXPECT_EQ(ExtractProfileVersion(""), "0");
  // The tag is searched case-sensitively and whole.
  EXPECT_EQ(ExtractProfileVersion("<ProfileVersion>6.0.0"), "0");
  EXPECT_EQ(ExtractProfileVersion("<profileVersion"), "0");
}

TEST(ExtractProfileVersionTest, FillsWithNulBytesPastTheEndOfTheText) {
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>5.5"), "5.5\0\0"s);
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>"), "\0\0\0\0\0"s);
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>6.0."), "6.0.\0"s);
}

TEST(ExtractProfileVersionTest, SeesOnlyTheGivenTextNotWhatLiesBehindIt) {
  // The text of an earlier, longer row may still lie in the buffer behind the current one.
  const std::string buffer = "<profileVersion>5.5"s + '\0' + "9.9.9 leftover"s;
  EXPECT_EQ(ExtractProfileVersion(std::string_view(buffer.data(), 19)), "5.5\0\0"s);
}

TEST(ExtractProfileVersionTest, KeepsWhateverBytesFollow) {
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>  6.0"), "  6.0");
  EXPECT_EQ(ExtractProfileVersion("<profileVersion>\xC3\xA9.0.0"), "\xC3\xA9.0.");
}

TEST(ExtractProfileVersionTest, ComparesBelowTheMinimumAsBytes) {
  const std::string minimum = "6.0.0";
  EXPECT_LT(ExtractProfileVersion("<profileVersion>10.0.0"), minimum);
  EXPECT_LT(ExtractProfileVersion("no tag"), minimum);
  EXPECT_LT(ExtractProfileVersion("<profileVersion>6.0"), minimum);
  EXPECT_FALSE(ExtractProfileVersion("<profileVersion>6.0.0") < minimum);
  EXPECT_FALSE(ExtractProfileVersion("<profileVersion>6.5.0") < minimum);
  // Bytes above 0x7F sort after the digits.
  EXPECT_FALSE(ExtractProfileVersion("<profileVersion>\xC3\xA9.0.0") < minimum);
}

}  // namespace
