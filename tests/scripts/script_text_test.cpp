#include "scripts/script_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScriptTextTest, TrimRemovesTheSixBlanksAtBothEnds) {
  std::string text = " \n\r\t\v\fSELECT 1;\t \f\v\r\n ";
  Trim(text);
  EXPECT_EQ(text, "SELECT 1;");
}

TEST(ScriptTextTest, TrimLeavesInnerCharacters) {
  std::string text = "  a \n\t b  ";
  Trim(text);
  EXPECT_EQ(text, "a \n\t b");
}

TEST(ScriptTextTest, TrimOfBlanksOnlyOrEmptyIsEmpty) {
  std::string blanks = " \r\n\t\v\f ";
  Trim(blanks);
  EXPECT_EQ(blanks, "");
  std::string empty;
  Trim(empty);
  EXPECT_EQ(empty, "");
}

TEST(ScriptTextTest, OnlyTheBlankSetIsTrimmed) {
  std::string text = std::string("\0 x \0", 5);
  Trim(text);
  EXPECT_EQ(text, std::string("\0 x \0", 5));
  std::string nonAscii = "\xA0x\xA0";
  Trim(nonAscii);
  EXPECT_EQ(nonAscii, "\xA0x\xA0");
}

TEST(ScriptTextTest, TrimmedLeavesItsArgument) {
  const std::string original = "  go \r";
  EXPECT_EQ(Trimmed(original), "go");
  EXPECT_EQ(original, "  go \r");
  EXPECT_EQ(Trimmed("\t\t"), "");
  EXPECT_EQ(TrimmedView("  / "), "/");
}

TEST(ScriptTextTest, ToLowerCopyLowersAsciiLettersOnly) {
  const std::string original = "CREATE Or REPLACE Function X_9 \xC4";
  EXPECT_EQ(ToLowerCopy(original), "create or replace function x_9 \xC4");
  EXPECT_EQ(original, "CREATE Or REPLACE Function X_9 \xC4");
}

TEST(ScriptTextTest, StartsWithIgnoringCase) {
  EXPECT_TRUE(StartsWithIgnoringCase("BEGIN NULL; END;", "begin"));
  EXPECT_TRUE(StartsWithIgnoringCase("DeClArE x", "declare"));
  EXPECT_TRUE(StartsWithIgnoringCase("beginning", "begin"));
  EXPECT_FALSE(StartsWithIgnoringCase("begi", "begin"));
  EXPECT_FALSE(StartsWithIgnoringCase(" begin", "begin"));
}

}  // namespace
