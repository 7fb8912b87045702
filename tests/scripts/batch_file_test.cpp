#include "scripts/batch_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_executor.h"
#include "script_test_support.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPath = ".\\jobs\\job.sql";

class BatchFileTest : public ::testing::Test {
 protected:
  void Run(const std::string& content, RecordingExecutor& executor, DbType dbType) {
    folder.WriteFile("jobs/job.sql", content);
    ConsoleCapture console;
    try {
      RunBatchFile(kPath, executor, dbType);
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

TEST_F(BatchFileTest, LinesJoinedByLineFeedsRunAsOneStatement) {
  RecordingExecutor executor;
  Run("DO $$\nBEGIN\n  PERFORM 1;\nEND $$;\n", executor, DbType::postgresql);
  EXPECT_EQ(executor.executed(), Lines{"DO $$\nBEGIN\n  PERFORM 1;\nEND $$;"});
  EXPECT_EQ(out,
            (Lines{"** .\\jobs\\job.sql **", "Executing SQL commands:", "** .\\jobs\\job.sql **",
                   "Command: DO $$", "BEGIN", "  PERFORM 1;", "END $$;"}));
  EXPECT_EQ(err, Lines{});
}

TEST_F(BatchFileTest, OracleJoinsLinesWithBlanksAndTrimsTheLastOne) {
  RecordingExecutor executor;
  Run("BEGIN\n  dbms_job.submit(:j, 'x;');\nEND;\n", executor, DbType::oracle);
  EXPECT_EQ(executor.executed(), Lines{"BEGIN   dbms_job.submit(:j, 'x;'); END;"});
}

TEST_F(BatchFileTest, SqlServerJoinsWithLineFeedsToo) {
  RecordingExecutor executor;
  Run("a\nb\nc", executor, DbType::mssql);
  EXPECT_EQ(executor.executed(), Lines{"a\nb\nc"});
}

TEST_F(BatchFileTest, LinesAreNotTrimmedOneByOne) {
  RecordingExecutor executor;
  Run("\n  a  \n\tb\n\n", executor, DbType::postgresql);
  EXPECT_EQ(executor.executed(), Lines{"a  \n\tb"});
}

TEST_F(BatchFileTest, EmptyFileStillExecutesAnEmptyStatement) {
  RecordingExecutor executor;
  Run("", executor, DbType::postgresql);
  EXPECT_EQ(executor.executed(), Lines{""});
  EXPECT_EQ(out,
            (Lines{"** .\\jobs\\job.sql **", "Executing SQL commands:", "** .\\jobs\\job.sql **"}));
}

TEST_F(BatchFileTest, CrLfFileGivesTheSameStatement) {
  RecordingExecutor lf;
  Run("a\nb\n", lf, DbType::oracle);
  RecordingExecutor crlf;
  Run("a\r\nb\r\n", crlf, DbType::oracle);
  EXPECT_EQ(crlf.executed(), lf.executed());
  EXPECT_EQ(lf.executed(), Lines{"a b"});
}

TEST_F(BatchFileTest, FailureIsReportedWithoutLineNumberAndPropagates) {
  RecordingExecutor executor(1, "job failed");
  Run("SELECT 1\n", executor, DbType::postgresql);
  EXPECT_EQ(failure, "job failed");
  EXPECT_EQ(err, Lines{"Error while executing .\\jobs\\job.sql, reason: job failed"});
}

TEST_F(BatchFileTest, MissingFileThrowsItsOpenMessageWithoutOutput) {
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunBatchFile(".\\jobs\\none.sql", executor, DbType::oracle);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open batch file '.\\jobs\\none.sql'.");
  }
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
  EXPECT_EQ(executor.attempted(), Lines{});
}

TEST_F(BatchFileTest, FolderIsReportedLikeAFileThatCannotBeOpened) {
  folder.WriteFile("jobs/dir/x.sql", "SELECT 1");
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunBatchFile(".\\jobs\\dir", executor, DbType::postgresql);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open batch file '.\\jobs\\dir'.");
  }
  EXPECT_EQ(executor.attempted(), Lines{});
  try {
    ReadBatchFile(".\\jobs\\dir", DbType::postgresql);
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open batch file '.\\jobs\\dir'.");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(BatchFileTest, ReadBatchFileReturnsTheTextAndPrintsIt) {
  folder.WriteFile("v/check.sql", "SELECT\n  1\n");
  ConsoleCapture console;
  EXPECT_EQ(ReadBatchFile(".\\v\\check.sql", DbType::postgresql), "SELECT\n  1");
  EXPECT_EQ(console.OutLines(), (Lines{"** .\\v\\check.sql **", "Command: SELECT", "  1"}));
}

TEST_F(BatchFileTest, ReadBatchFileOfBlanksIsEmptyWithoutCommandLine) {
  folder.WriteFile("v/blank.sql", " \n\t\n");
  ConsoleCapture console;
  EXPECT_EQ(ReadBatchFile(".\\v\\blank.sql", DbType::oracle), "");
  EXPECT_EQ(console.OutLines(), Lines{"** .\\v\\blank.sql **"});
}

TEST_F(BatchFileTest, ReadFailureIsReportedAndPropagates) {
  FailingStreamBuf buffer("a\nb\n");
  std::istream stream(&buffer);
  ScriptLineReader reader(stream, "b.sql");
  ConsoleCapture console;
  EXPECT_THROW(ReadBatchFile(reader, "b.sql", DbType::postgresql), std::runtime_error);
  EXPECT_EQ(console.ErrLines(),
            Lines{"Error while reading file b.sql, reason: Cannot read script file 'b.sql' after "
                  "line 2."});
  EXPECT_EQ(console.OutLines(), Lines{"** b.sql **"});
}

}  // namespace
