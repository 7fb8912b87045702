#include "scripts/procedure_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_executor.h"
#include "script_test_support.h"

namespace {

using Lines = std::vector<std::string>;

class ProcedureScriptTest : public ::testing::Test {
 protected:
  void Run(const std::string& content, RecordingExecutor& executor) {
    folder.WriteFile("p/procs.sql", content);
    ConsoleCapture console;
    try {
      RunProcedureScript(".\\p\\procs.sql", executor);
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

TEST_F(ProcedureScriptTest, StartPhraseInACommentAlsoStartsADefinition) {
  RecordingExecutor executor;
  Run("/* header\n   create procedure in a comment? no: it is before any start */\n"
      "SET x = 1;\n"
      "CREATE PROCEDURE p1 AS\nBEGIN\n  SELECT 1;\n  SELECT 2;\nEND;\n\n"
      "Create Or Replace FUNCTION f1() RETURNS int AS $$\nBEGIN RETURN 1; END;\n$$ LANGUAGE "
      "plpgsql;\n",
      executor);
  // The comment line holds a start phrase, so it starts the first definition.
  ASSERT_EQ(executor.executed().size(), 3u);
  EXPECT_EQ(executor.executed()[0],
            "create procedure in a comment? no: it is before any start */\nSET x = 1;");
  EXPECT_EQ(executor.executed()[1],
            "CREATE PROCEDURE p1 AS\nBEGIN\n  SELECT 1;\n  SELECT 2;\nEND;");
  EXPECT_EQ(executor.executed()[2],
            "Create Or Replace FUNCTION f1() RETURNS int AS $$\nBEGIN RETURN 1; END;\n$$ LANGUAGE "
            "plpgsql;");
}

TEST_F(ProcedureScriptTest, CommentBlockBeforeTheFirstStartLineIsNeverExecuted) {
  RecordingExecutor executor;
  Run("-- Copyright\n-- Procedures of the statistics rollup\nSET NOCOUNT ON\n"
      "  CREATE PROCEDURE stats AS SELECT 1\n"
      "create or REPLACE function g() returns int as 'select 1' language sql\n",
      executor);
  EXPECT_EQ(executor.executed(),
            (Lines{"CREATE PROCEDURE stats AS SELECT 1",
                   "create or REPLACE function g() returns int as 'select 1' language sql"}));
  EXPECT_EQ(out, (Lines{"** .\\p\\procs.sql **", "Executing SQL commands:"}));
}

TEST_F(ProcedureScriptTest, AllFourStartPhrasesInAnyCase) {
  EXPECT_TRUE(IsProcedureStartLine("CREATE PROCEDURE x"));
  EXPECT_TRUE(IsProcedureStartLine("x create function y"));
  EXPECT_TRUE(IsProcedureStartLine("Create Or Replace Procedure z"));
  EXPECT_TRUE(IsProcedureStartLine("CREATE OR REPLACE FUNCTION z"));
  EXPECT_FALSE(IsProcedureStartLine("create  procedure x"));
  EXPECT_FALSE(IsProcedureStartLine("create\tfunction x"));
  EXPECT_FALSE(IsProcedureStartLine("create or  replace function x"));
  EXPECT_FALSE(IsProcedureStartLine("createprocedure"));
  EXPECT_FALSE(IsProcedureStartLine("create view v"));
}

TEST_F(ProcedureScriptTest, TwoBlanksDoNotStartADefinition) {
  RecordingExecutor executor;
  Run("create procedure a as select 1\ncreate  procedure b as select 2\n", executor);
  EXPECT_EQ(executor.executed(),
            Lines{"create procedure a as select 1\ncreate  procedure b as select 2"});
}

TEST_F(ProcedureScriptTest, FileWithoutStartPhraseExecutesNothing) {
  RecordingExecutor executor;
  Run("SELECT 1;\nSELECT 2;\n", executor);
  EXPECT_EQ(executor.attempted(), Lines{});
  EXPECT_EQ(out, (Lines{"** .\\p\\procs.sql **", "Executing SQL commands:"}));
}

TEST_F(ProcedureScriptTest, CrLfFileGivesTheSameStatements) {
  RecordingExecutor lf;
  Run("create function f() returns int\nas 'select 1';\ncreate function g() returns int\n", lf);
  RecordingExecutor crlf;
  Run("create function f() returns int\r\nas 'select 1';\r\ncreate function g() returns int\r\n",
      crlf);
  EXPECT_EQ(crlf.executed(), lf.executed());
  EXPECT_EQ(lf.executed().size(), 2u);
}

TEST_F(ProcedureScriptTest, FailureNamesTheStartLineThatEndedTheDefinition) {
  RecordingExecutor executor(1, "no such table");
  Run("create procedure a as\nselect 1\n\ncreate procedure b as select 2\n", executor);
  EXPECT_EQ(failure, "no such table");
  EXPECT_EQ(err, Lines{"Error while executing .\\p\\procs.sql:4, reason: no such table"});
  EXPECT_EQ(executor.attempted().size(), 1u);
}

TEST_F(ProcedureScriptTest, FailureOfTheLastDefinitionNamesTheLastLine) {
  RecordingExecutor executor(2);
  Run("create procedure a as select 1\ncreate procedure b as\nselect 2\n\n", executor);
  EXPECT_EQ(err, Lines{"Error while executing .\\p\\procs.sql:4, reason: recorded failure"});
  EXPECT_EQ(failure, "recorded failure");
}

TEST_F(ProcedureScriptTest, MissingFileThrowsItsOpenMessage) {
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunProcedureScript(".\\p\\none.sql", executor);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open procedures definition file '.\\p\\none.sql'.");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(ProcedureScriptTest, FolderIsReportedLikeAFileThatCannotBeOpened) {
  folder.WriteFile("p/dir/x.sql", "create procedure a as select 1");
  RecordingExecutor executor;
  ConsoleCapture console;
  EXPECT_THROW(
      {
        try {
          RunProcedureScript(".\\p\\dir", executor);
        } catch (const std::runtime_error& thrown) {
          EXPECT_STREQ(thrown.what(), "Cannot open procedures definition file '.\\p\\dir'.");
          throw;
        }
      },
      std::runtime_error);
}

TEST_F(ProcedureScriptTest, ReadFailureIsReportedAndPropagates) {
  FailingStreamBuf buffer("create procedure a as select 1\nselect 2\n");
  std::istream stream(&buffer);
  ScriptLineReader reader(stream, "p.sql");
  RecordingExecutor executor;
  ConsoleCapture console;
  EXPECT_THROW(RunProcedureScript(reader, "p.sql", executor), std::runtime_error);
  // The definition in progress is not executed when the file cannot be read to its end.
  EXPECT_EQ(executor.attempted(), Lines{});
  EXPECT_EQ(console.ErrLines(),
            Lines{"Error while executing p.sql:2, reason: Cannot read script file 'p.sql' after "
                  "line 2."});
}

}  // namespace
