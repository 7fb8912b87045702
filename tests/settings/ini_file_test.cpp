#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kKey = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";

/// The entries of kKey in an INI text made of the header of kKey and the given lines.
IniSection ReadEntries(const std::string& lines) {
  const std::optional<IniSection> section =
      FindIniSection("[" + std::string(kKey) + "]\n" + lines, kKey);
  if (!section) ADD_FAILURE() << "section not found";
  return section.value_or(IniSection{});
}

TEST(FindIniSectionTest, ReadsTheEntriesOfTheNamedSection) {
  const std::optional<IniSection> section = FindIniSection(
      "[Other]\n1=Other DSN\n[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]\n"
      "1=Tarnwell PG\n2=x\n[Later]\n1=Later DSN\n",
      kKey);
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(*section, (IniSection{{"1", "Tarnwell PG"}, {"2", "x"}}));
}

TEST(FindIniSectionTest, MatchesTheHeaderExactly) {
  EXPECT_FALSE(FindIniSection("[software\\halvik, inc.\\halvik tarnwell\\db]\n1=a\n", kKey));
  EXPECT_FALSE(FindIniSection("[ SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB ]\n1=a\n", kKey));
  EXPECT_FALSE(FindIniSection("[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell]\n1=a\n", kKey));
  EXPECT_FALSE(FindIniSection("[SOFTWARE/Halvik, Inc./Halvik Tarnwell/DB]\n1=a\n", kKey));
  EXPECT_TRUE(FindIniSection("  [SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]\t\n", kKey));
}

TEST(FindIniSectionTest, GivesNothingWithoutTheSection) {
  EXPECT_FALSE(FindIniSection("", kKey));
  EXPECT_FALSE(FindIniSection("1=Tarnwell PG\n", kKey));
  EXPECT_FALSE(FindIniSection("[Other]\n1=Tarnwell PG\n", kKey));
}

TEST(FindIniSectionTest, GivesAnEmptySectionWithoutEntries) {
  const std::optional<IniSection> section = FindIniSection("[Other]\n[Key]\n[Next]\n1=a", "Key");
  ASSERT_TRUE(section.has_value());
  EXPECT_TRUE(section->empty());
}

TEST(FindIniSectionTest, TrimsBlanksAroundNameAndValue) {
  EXPECT_EQ(ReadEntries(" \t1 \t=  Tarnwell PG \t\n"), (IniSection{{"1", "Tarnwell PG"}}));
}

TEST(FindIniSectionTest, TakesAQuotedValueVerbatim) {
  EXPECT_EQ(ReadEntries("1 = \" Tarnwell PG \" \n"), (IniSection{{"1", " Tarnwell PG "}}));
  EXPECT_EQ(ReadEntries("1=\"a\"b\"\n"), (IniSection{{"1", "a\"b"}}));
  EXPECT_EQ(ReadEntries("1=\"\"\n"), (IniSection{{"1", ""}}));
  EXPECT_EQ(ReadEntries("1=\" \"\n"), (IniSection{{"1", " "}}));
}

TEST(FindIniSectionTest, KeepsQuotesThatDoNotFrameTheValue) {
  EXPECT_EQ(ReadEntries("1=\"\n"), (IniSection{{"1", "\""}}));
  EXPECT_EQ(ReadEntries("1=\"Tarnwell\" PG\n"), (IniSection{{"1", "\"Tarnwell\" PG"}}));
}

TEST(FindIniSectionTest, ReadsAnEmptyValue) {
  EXPECT_EQ(ReadEntries("1=\n"), (IniSection{{"1", ""}}));
  EXPECT_EQ(ReadEntries("1 =   "), (IniSection{{"1", ""}}));
}

TEST(FindIniSectionTest, SkipsCommentLines) {
  EXPECT_EQ(ReadEntries(";1=commented\n#1=commented\n  ; 1=commented\n1=Tarnwell PG\n"),
            (IniSection{{"1", "Tarnwell PG"}}));
}

TEST(FindIniSectionTest, KeepsCommentCharactersInsideAValue) {
  EXPECT_EQ(ReadEntries("1=Tarnwell ; PG # x\n"), (IniSection{{"1", "Tarnwell ; PG # x"}}));
}

TEST(FindIniSectionTest, SplitsAtTheFirstEqualsSign) {
  EXPECT_EQ(ReadEntries("1=a=b\n"), (IniSection{{"1", "a=b"}}));
}

TEST(FindIniSectionTest, SkipsLinesWithoutEqualsSign) {
  EXPECT_EQ(ReadEntries("Tarnwell PG\n1=a\n"), (IniSection{{"1", "a"}}));
}

TEST(FindIniSectionTest, ReadsCrLfLines) {
  const std::optional<IniSection> section = FindIniSection("[Key]\r\n1=Tarnwell PG\r\n", "Key");
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(*section, (IniSection{{"1", "Tarnwell PG"}}));
}

TEST(FindIniSectionTest, KeepsTheFirstEntryOfAName) {
  const std::optional<IniSection> section =
      FindIniSection("[Key]\n1=first\n1=second\n[Other]\n2=x\n[Key]\n1=third\n2=y\n", "Key");
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(*section, (IniSection{{"1", "first"}, {"2", "y"}}));
}

TEST(FindIniSectionTest, KeepsNulBytesInValues) {
  const std::string text("[Key]\n1=ab\0cd\n", 14);
  const std::optional<IniSection> section = FindIniSection(text, "Key");
  ASSERT_TRUE(section.has_value());
  EXPECT_EQ(section->at("1"), std::string("ab\0cd", 5));
}

}  // namespace
