#include "scripts/script_line_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "script_test_support.h"
#include "scripts/script_file.h"

namespace {

std::vector<std::string> ReadAllLines(std::istream& stream) {
  ScriptLineReader reader(stream, "test");
  std::vector<std::string> lines;
  ForEachScriptLine(reader, [&](const std::string& line) {
    lines.push_back(line);
    return true;
  });
  EXPECT_EQ(reader.lineCount(), lines.size());
  return lines;
}

std::vector<std::string> ReadAllLines(const std::string& text) {
  std::istringstream stream(text);
  return ReadAllLines(stream);
}

using Lines = std::vector<std::string>;

TEST(ScriptLineReaderTest, LineFeedsEndLines) {
  EXPECT_EQ(ReadAllLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\n\nb"), (Lines{"a", "", "b"}));
}

TEST(ScriptLineReaderTest, LastLineWithoutLineFeedIsALine) {
  EXPECT_EQ(ReadAllLines("a\nlast"), (Lines{"a", "last"}));
  EXPECT_EQ(ReadAllLines(""), Lines{});
  EXPECT_EQ(ReadAllLines("\n"), Lines{""});
}

TEST(ScriptLineReaderTest, CarriageReturnBeforeLineFeedIsNotPartOfTheLine) {
  EXPECT_EQ(ReadAllLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a \r\n\r\nb"), (Lines{"a ", "", "b"}));
}

TEST(ScriptLineReaderTest, OtherCarriageReturnsStay) {
  EXPECT_EQ(ReadAllLines("a\rb\n"), Lines{"a\rb"});
  EXPECT_EQ(ReadAllLines("a\r\r\n"), Lines{"a\r"});
  EXPECT_EQ(ReadAllLines("a\nb\r"), (Lines{"a", "b\r"}));
}

TEST(ScriptLineReaderTest, ByteOrderMarkAtTheStartIsDropped) {
  EXPECT_EQ(ReadAllLines("\xEF\xBB\xBF<B1/>\r\nx\n"), (Lines{"<B1/>", "x"}));
  EXPECT_EQ(ReadAllLines("\xEF\xBB\xBF"), Lines{""});
}

TEST(ScriptLineReaderTest, ByteOrderMarkElsewhereStays) {
  EXPECT_EQ(ReadAllLines("a\n\xEF\xBB\xBF"
                         "b\n"),
            (Lines{"a",
                   "\xEF\xBB\xBF"
                   "b"}));
  EXPECT_EQ(ReadAllLines(" \xEF\xBB\xBF"
                         "a"),
            Lines{" \xEF\xBB\xBF"
                  "a"});
}

TEST(ScriptLineReaderTest, LongLinesAreWhole) {
  const std::string longLine(300000, 'x');
  EXPECT_EQ(ReadAllLines(longLine + "\n" + longLine), (Lines{longLine, longLine}));
}

TEST(ScriptLineReaderTest, StoppingLeavesTheRestForTheNextLoop) {
  std::istringstream stream("a\nb\nc\nd\n");
  ScriptLineReader reader(stream, "test");
  ForEachScriptLine(reader, [](const std::string& line) { return line != "b"; });
  EXPECT_EQ(reader.lineCount(), 2u);
  Lines rest;
  ForEachScriptLine(reader, [&](const std::string& line) {
    rest.push_back(line);
    return true;
  });
  EXPECT_EQ(rest, (Lines{"c", "d"}));
  EXPECT_EQ(reader.lineCount(), 4u);
}

TEST(ScriptLineReaderTest, ReadFailureThrowsInsteadOfEndingTheScript) {
  FailingStreamBuf buffer("first\nsecond\n");
  std::istream stream(&buffer);
  ScriptLineReader reader(stream, "s.sql");
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  ASSERT_TRUE(reader.ReadLine(line));
  try {
    reader.ReadLine(line);
    FAIL() << "no failure";
  } catch (const std::runtime_error& failure) {
    EXPECT_STREQ(failure.what(), "Cannot read script file 's.sql' after line 2.");
  }
}

TEST(ScriptFileTest, OpensPrintedPathWithBackslashes) {
  ScratchFolder folder;
  folder.WriteFile("Upgrade-v2015-to-v2016/postgresql/x.sql", "\xEF\xBB\xBFone\r\ntwo");
  ScriptFile file(".\\Upgrade-v2015-to-v2016\\postgresql\\x.sql");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(ReadAllLines(file.stream()), (Lines{"one", "two"}));
}

TEST(ScriptFileTest, EmptyFileIsOpenAndHasNoLines) {
  ScratchFolder folder;
  folder.WriteFile("empty.sql", "");
  ScriptFile file(".\\empty.sql");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(ReadAllLines(file.stream()), Lines{});
}

TEST(ScriptFileTest, MissingFileIsNotOpen) {
  ScratchFolder folder;
  EXPECT_FALSE(ScriptFile(".\\missing.sql").IsOpen());
}

TEST(ScriptFileTest, FolderIsNotOpen) {
  ScratchFolder folder;
  folder.WriteFile("sub/inner.sql", "x");
  EXPECT_FALSE(ScriptFile(".\\sub").IsOpen());
}

}  // namespace
