#include "journal.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace scripted {
namespace {

TEST(EscapeForJournalTest, KeepsPrintableTextAsItIs) {
  const std::string text = "SELECT \"a\", [b], 'c' FROM t WHERE x <> 100% -- ok; caf\xC3\xA9";
  EXPECT_EQ(EscapeForJournal(text), text);
}

TEST(EscapeForJournalTest, EscapesBackslashesAndControlCharacters) {
  EXPECT_EQ(EscapeForJournal("a\\b"), "a\\\\b");
  EXPECT_EQ(EscapeForJournal("line1\nline2\r\n"), "line1\\nline2\\r\\n");
  EXPECT_EQ(EscapeForJournal("a\tb"), "a\\tb");
  EXPECT_EQ(EscapeForJournal(std::string("\x01\x1F\x7F", 3)), "\\x01\\x1F\\x7F");
  EXPECT_EQ(EscapeForJournal(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(EscapeForJournal("\\n"), "\\\\n");  // a backslash and an n, not a newline
}

class JournalFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "scripted-journal-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Read(const std::filesystem::path& path) const {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::filesystem::path folder_;
};

TEST_F(JournalFileTest, AppendsLinesThatAreOnDiskAtOnce) {
  const std::filesystem::path path = folder_ / "journal.txt";
  Journal journal;
  ASSERT_EQ(journal.Open(path.string()), "");
  EXPECT_TRUE(journal.IsOpen());
  journal.Write("FIRST");
  EXPECT_EQ(Read(path), "FIRST\n");  // no buffering: a killed process leaves the line
  journal.Write("SECOND #1 text");
  EXPECT_EQ(Read(path), "FIRST\nSECOND #1 text\n");
}

TEST_F(JournalFileTest, KeepsWhatTheFileHadAndInterleavesTwoWriters) {
  const std::filesystem::path path = folder_ / "journal.txt";
  std::ofstream(path) << "EARLIER\n";
  Journal first;
  Journal second;
  ASSERT_EQ(first.Open(path.string()), "");
  ASSERT_EQ(second.Open(path.string()), "");
  first.Write("A");
  second.Write("B");
  first.Write("C");
  EXPECT_EQ(Read(path), "EARLIER\nA\nB\nC\n");
}

TEST_F(JournalFileTest, ReportsAFileThatCannotBeOpened) {
  Journal journal;
  const std::string problem = journal.Open((folder_ / "missing" / "journal.txt").string());
  EXPECT_NE(problem, "");
  EXPECT_FALSE(journal.IsOpen());
  journal.Write("ignored");  // writes nowhere, does not fail
}

TEST_F(JournalFileTest, MovedJournalWritesToTheSameFileAndClosedOneNowhere) {
  const std::filesystem::path path = folder_ / "journal.txt";
  Journal journal;
  ASSERT_EQ(journal.Open(path.string()), "");
  Journal moved = std::move(journal);
  moved.Write("X");
  moved.Close();
  moved.Write("Y");
  EXPECT_EQ(Read(path), "X\n");
}

}  // namespace
}  // namespace scripted
