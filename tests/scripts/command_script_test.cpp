#include "scripts/command_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_executor.h"
#include "script_test_support.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPath = ".\\scripts\\commands.sql";

class CommandScriptTest : public ::testing::Test {
 protected:
  /// Writes the script and runs it; the failure, if any, is left in `failure`.
  void Run(const std::string& content, RecordingExecutor& executor) {
    folder.WriteFile("scripts/commands.sql", content);
    ConsoleCapture console;
    try {
      RunCommandScript(kPath, executor);
    } catch (const std::runtime_error& thrown) {
      failure = thrown.what();
    }
    out = console.OutLines();
    err = console.ErrLines();
  }

  ScratchFolder folder;
  Lines out;
  Lines err;
  std::string failure;
};

TEST_F(CommandScriptTest, EchoesStatementsEndedBySemicolonButNotTheLastOne) {
  RecordingExecutor executor;
  Run("SELECT 1;\nSELECT 2\n", executor);
  EXPECT_EQ(executor.executed(), (Lines{"SELECT 1", "SELECT 2"}));
  EXPECT_EQ(out, (Lines{"** .\\scripts\\commands.sql **", "Executing SQL commands:", "SELECT 1"}));
  EXPECT_EQ(err, Lines{});
  EXPECT_EQ(failure, "");
}

TEST_F(CommandScriptTest, TextAfterASemicolonJoinsTheNextLineWithoutLineBreak) {
  RecordingExecutor executor;
  Run("SELECT 1; SELECT 2; SELECT 3;\nSELECT 4;\n", executor);
  EXPECT_EQ(executor.executed(), (Lines{"SELECT 1", "SELECT 2; SELECT 3;SELECT 4"}));
}

TEST_F(CommandScriptTest, OnlyTheFirstSemicolonOfALineEndsAStatement) {
  RecordingExecutor executor;
  Run("SELECT 1;;\nSELECT 2;\n;\n", executor);
  EXPECT_EQ(executor.executed(), (Lines{"SELECT 1", ";SELECT 2"}));
}

TEST_F(CommandScriptTest, StatementsSpanLinesWithTheirLineFeeds) {
  RecordingExecutor executor;
  Run("-- views\nCREATE VIEW v AS\n  SELECT 1 AS x\n;\n\n  DROP VIEW v  ;", executor);
  EXPECT_EQ(executor.executed(),
            (Lines{"-- views\nCREATE VIEW v AS\n  SELECT 1 AS x", "DROP VIEW v"}));
}

TEST_F(CommandScriptTest, SemicolonsEndStatementsEvenInsideLiterals) {
  RecordingExecutor executor;
  Run("INSERT INTO t VALUES ('a;b');\n", executor);
  EXPECT_EQ(executor.executed(), (Lines{"INSERT INTO t VALUES ('a", "b');"}));
}

TEST_F(CommandScriptTest, StatementsThatTrimToNothingAreSkipped) {
  RecordingExecutor executor;
  Run("\n ;\n \t\n;\n;", executor);
  EXPECT_EQ(executor.attempted(), Lines{});
  EXPECT_EQ(out, (Lines{"** .\\scripts\\commands.sql **", "Executing SQL commands:"}));
}

TEST_F(CommandScriptTest, CrLfFileGivesTheSameStatements) {
  RecordingExecutor lf;
  Run("CREATE TABLE a (\n x INT);\nINSERT INTO a VALUES (1)\n", lf);
  RecordingExecutor crlf;
  Run("CREATE TABLE a (\r\n x INT);\r\nINSERT INTO a VALUES (1)\r\n", crlf);
  EXPECT_EQ(crlf.executed(), lf.executed());
  EXPECT_EQ(lf.executed(), (Lines{"CREATE TABLE a (\n x INT)", "INSERT INTO a VALUES (1)"}));
}

TEST_F(CommandScriptTest, FailureNamesTheLineThatEndedTheStatementAndPropagates) {
  RecordingExecutor executor(2, "bad statement");
  std::string content = "SELECT 1;\n";
  for (int line = 2; line < 12; ++line) content += "-- filler\n";
  content += "SELECT 2;\nSELECT 3;\n";
  Run(content, executor);
  EXPECT_EQ(failure, "bad statement");
  EXPECT_EQ(err, Lines{"Error while executing .\\scripts\\commands.sql:12, reason: bad statement"});
  EXPECT_EQ(executor.attempted().size(), 2u);
  EXPECT_EQ(executor.executed(), Lines{"SELECT 1"});
}

TEST_F(CommandScriptTest, FailureOfTheLastStatementNamesTheLastLine) {
  RecordingExecutor executor(1);
  Run("SELECT\n1\n\n", executor);
  EXPECT_EQ(failure, "recorded failure");
  EXPECT_EQ(err,
            Lines{"Error while executing .\\scripts\\commands.sql:3, reason: recorded failure"});
}

TEST_F(CommandScriptTest, MissingFileThrowsItsOpenMessageWithoutOutput) {
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunCommandScript(".\\scripts\\none.sql", executor);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open command script file '.\\scripts\\none.sql'.");
  }
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

TEST_F(CommandScriptTest, FolderIsReportedLikeAFileThatCannotBeOpened) {
  folder.WriteFile("scripts/sub/x.sql", "SELECT 1;");
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunCommandScript(".\\scripts\\sub", executor);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open command script file '.\\scripts\\sub'.");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(CommandScriptTest, ReadFailureIsReportedWithTheLineCountAndPropagates) {
  FailingStreamBuf buffer("SELECT 1;\nSELECT 2");
  std::istream stream(&buffer);
  ScriptLineReader reader(stream, "c.sql");
  RecordingExecutor executor;
  ConsoleCapture console;
  EXPECT_THROW(RunCommandScript(reader, "c.sql", executor), std::runtime_error);
  EXPECT_EQ(executor.executed(), Lines{"SELECT 1"});
  EXPECT_EQ(console.ErrLines(),
            Lines{"Error while executing c.sql:1, reason: Cannot read script file 'c.sql' after "
                  "line 1."});
}

}  // namespace
