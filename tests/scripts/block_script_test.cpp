#include "scripts/block_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_executor.h"
#include "script_test_support.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPath = ".\\blocks\\upgrade.sql";
constexpr const char* kPathLine = "** .\\blocks\\upgrade.sql **";

class BlockScriptTest : public ::testing::Test {
 protected:
  /// Writes the script and runs it; a thrown failure lands in `failure`.
  void Run(const std::string& content, RecordingExecutor& executor, DbType dbType,
           const std::string& tag = "") {
    folder.WriteFile("blocks/upgrade.sql", content);
    ConsoleCapture console;
    try {
      RunSqlBlockCommandScript(kPath, executor, dbType, tag);
    } catch (const std::runtime_error& thrown) {
      failure = thrown.what();
    }
    out = console.OutLines();
    err = console.ErrLines();
  }

  Lines RunAndRecord(const std::string& content, DbType dbType, const std::string& tag = "") {
    RecordingExecutor executor;
    Run(content, executor, dbType, tag);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(err, Lines{});
    return executor.executed();
  }

  ScratchFolder folder;
  Lines out;
  Lines err;
  std::string failure;
};

std::string UpdateOf(const std::string& tag) {
  return "UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = '" + tag + "';";
}

TEST_F(BlockScriptTest, SqlServerBlocksEndAtGoAndAtTheEndOfTheFile) {
  EXPECT_EQ(RunAndRecord("CREATE TABLE A (X INT)\ngo\nINSERT INTO A VALUES (1)", DbType::mssql),
            (Lines{"CREATE TABLE A (X INT)", "INSERT INTO A VALUES (1)"}));
  EXPECT_EQ(out, (Lines{kPathLine, "Executing SQL commands:"}));
}

TEST_F(BlockScriptTest, GoOnlyInLowerCaseAndAloneOnItsLine) {
  EXPECT_EQ(RunAndRecord("SELECT 1\n \tgo  \nSELECT 2\nGO\nSELECT 3\ngo;\nSELECT 4\nGo\ngo\n",
                         DbType::mssql),
            (Lines{"SELECT 1", "SELECT 2\nGO\nSELECT 3\ngo;\nSELECT 4\nGo"}));
}

TEST_F(BlockScriptTest, SlashIsNotASqlServerTerminatorAndGoNotAPostgresOne) {
  EXPECT_EQ(RunAndRecord("SELECT 1\n/\nSELECT 2\n", DbType::mssql), Lines{"SELECT 1\n/\nSELECT 2"});
  EXPECT_EQ(RunAndRecord("SELECT 1;\ngo\nSELECT 2;\n", DbType::postgresql),
            Lines{"SELECT 1;\ngo\nSELECT 2;"});
}

TEST_F(BlockScriptTest, TerminatorsInARowExecuteNothingMore) {
  EXPECT_EQ(RunAndRecord("SELECT 1;\n/\n/\n  \n/\n", DbType::postgresql), Lines{"SELECT 1;"});
}

TEST_F(BlockScriptTest, PostgresBlocksKeepTheirSemicolons) {
  EXPECT_EQ(RunAndRecord("CREATE FUNCTION f() RETURNS int AS $$\nBEGIN\n  RETURN 1;\nEND;\n$$ "
                         "LANGUAGE plpgsql;\n/\nSELECT f();\n/\n",
                         DbType::postgresql),
            (Lines{"CREATE FUNCTION f() RETURNS int AS $$\nBEGIN\n  RETURN 1;\nEND;\n$$ LANGUAGE "
                   "plpgsql;",
                   "SELECT f();"}));
}

TEST_F(BlockScriptTest, OracleDropsTheLastCharacterOfPlainStatements) {
  EXPECT_EQ(RunAndRecord("UPDATE T SET Q = 1;\n/\nSELECT 1 FROM dual\n/\n;\n/\n", DbType::oracle),
            (Lines{"UPDATE T SET Q = 1", "SELECT 1 FROM dua", ""}));
}

TEST_F(BlockScriptTest, OracleCodeBlocksKeepTheirLastCharacter) {
  EXPECT_EQ(RunAndRecord("BEGIN NULL; END;\n/\ndeclare x number; begin null; end;\n/\n"
                         "  Begin\n  NULL;\nEND;\n/\nDECLARE\n  y number;\nBEGIN NULL; END;\n/\n",
                         DbType::oracle),
            (Lines{"BEGIN NULL; END;", "declare x number; begin null; end;", "Begin\n  NULL;\nEND;",
                   "DECLARE\n  y number;\nBEGIN NULL; END;"}));
}

TEST_F(BlockScriptTest, OracleLastBlockWithoutTerminatorKeepsItsSemicolon) {
  EXPECT_EQ(RunAndRecord("UPDATE T SET Q = 1;\n/\nUPDATE T SET Q = 2;\n", DbType::oracle),
            (Lines{"UPDATE T SET Q = 1", "UPDATE T SET Q = 2;"}));
}

TEST_F(BlockScriptTest, BlocksAreTrimmedOnlyAtTheirEnds) {
  EXPECT_EQ(RunAndRecord("\n   SELECT\n     1\n\n   FROM t  \n/\n", DbType::postgresql),
            Lines{"SELECT\n     1\n\n   FROM t"});
}

TEST_F(BlockScriptTest, WithoutTagATagShapedLineIsSql) {
  EXPECT_EQ(RunAndRecord("<B1/>\nSELECT 1;\n/\n<B2/>\n", DbType::postgresql),
            (Lines{"<B1/>\nSELECT 1;", "<B2/>"}));
  EXPECT_EQ(out, (Lines{kPathLine, "Executing SQL commands:"}));
}

const char* const kTaggedFile = "<B1/>\nS1\n/\n<B2/>\nS2\n/\n";

TEST_F(BlockScriptTest, TagModeRunsAfterTheStartTagAndRecordsTheLastTag) {
  EXPECT_EQ(RunAndRecord(kTaggedFile, DbType::postgresql, "B1"),
            (Lines{"S1", "S2", UpdateOf("B2")}));
  EXPECT_EQ(out, (Lines{kPathLine, "Ignoring SQL commands until tag appeareance: <B1/>",
                        "Found tag <B1/> at line 1", "Executing SQL commands:",
                        "Starting from line: 2", "Last tag:B2Update command :" + UpdateOf("B2")}));
}

TEST_F(BlockScriptTest, TagModeWithTheLastTagRunsTheRestAndRecordsNothing) {
  EXPECT_EQ(RunAndRecord(kTaggedFile, DbType::oracle, "B2"), Lines{"S"});
  EXPECT_EQ(out, (Lines{kPathLine, "Ignoring SQL commands until tag appeareance: <B2/>",
                        "Found tag <B2/> at line 4",
                        "Executing SQL commands:", "Starting from line: 5"}));
}

TEST_F(BlockScriptTest, TagModeWithAnUnknownTagSkipsTheWholeFile) {
  EXPECT_EQ(RunAndRecord(kTaggedFile, DbType::postgresql, "B3"), Lines{});
  EXPECT_EQ(out, (Lines{kPathLine, "Ignoring SQL commands until tag appeareance: <B3/>",
                        "Executing SQL commands:", "Starting from line: 7"}));
}

TEST_F(BlockScriptTest, StartTagIsMatchedTrimmedAndCaseSensitive) {
  EXPECT_EQ(RunAndRecord("<b1/>\nA\n/\n  <B1/>\t\nB\n/\n", DbType::postgresql, "B1"), Lines{"B"});
  EXPECT_EQ(out[2], "Found tag <B1/> at line 4");
}

TEST_F(BlockScriptTest, FailureNamesTheLineAndRecordsNothing) {
  RecordingExecutor executor(2, "S2 rejected");
  Run(kTaggedFile, executor, DbType::postgresql, "B1");
  EXPECT_EQ(failure, "");
  EXPECT_EQ(executor.attempted(), (Lines{"S1", "S2"}));
  EXPECT_EQ(err, Lines{"Error while executing .\\blocks\\upgrade.sql:6, reason: S2 rejected"});
  EXPECT_EQ(out.back(), "Starting from line: 2");
}

TEST_F(BlockScriptTest, FailureEndsTheScriptButNotTheCall) {
  RecordingExecutor executor(1);
  Run("SELECT 1;\n/\nSELECT 2;\n/\n", executor, DbType::postgresql);
  EXPECT_EQ(failure, "");
  EXPECT_EQ(executor.attempted(), Lines{"SELECT 1;"});
  EXPECT_EQ(err, Lines{"Error while executing .\\blocks\\upgrade.sql:2, reason: recorded failure"});
}

// A transaction that a file leaves open is committed when the file ran through, and rolled back,
// with a report, when it failed; nothing is sent or written when none is open.
TEST_F(BlockScriptTest, ATransactionLeftOpenIsEndedWithTheFile) {
  for (const std::size_t failAt : {0u, 2u}) {
    RecordingExecutor executor(failAt);
    executor.OpenTransaction();
    Run("SELECT 1;\n/\nSELECT 2;\n/\n", executor, DbType::postgresql);
    const Lines expected = failAt == 0 ? Lines{"SELECT 1;", "SELECT 2;", "<COMMIT>"}
                                       : Lines{"SELECT 1;", "<ROLLBACK>"};
    EXPECT_EQ(executor.executed(), expected);
    if (failAt == 0) {
      EXPECT_EQ(err, Lines{});
      continue;
    }
    EXPECT_EQ(err,
              (Lines{"Error while executing .\\blocks\\upgrade.sql:4, reason: recorded failure",
                     "ERROR: The transaction left open by .\\blocks\\upgrade.sql was rolled "
                     "back: the statements that ran in it are undone."}));
  }
}

TEST_F(BlockScriptTest, FailureOfTheLastBlockOrTheUpdateNamesTheLastLine) {
  RecordingExecutor lastBlock(1);
  Run("SELECT 1;\n\n\n", lastBlock, DbType::postgresql);
  EXPECT_EQ(err, Lines{"Error while executing .\\blocks\\upgrade.sql:3, reason: recorded failure"});
  RecordingExecutor update(3);
  Run(std::string(kTaggedFile) + "\n", update, DbType::postgresql, "B1");
  EXPECT_EQ(update.attempted().back(), UpdateOf("B2"));
  EXPECT_EQ(err, Lines{"Error while executing .\\blocks\\upgrade.sql:7, reason: recorded failure"});
}

TEST_F(BlockScriptTest, TagLinesInsideABlockDoNotBreakIt) {
  EXPECT_EQ(RunAndRecord("<B1/>\nSELECT\n <B2/> \n1;\n/\n<B3/>\n", DbType::postgresql, "B1"),
            (Lines{"SELECT\n1;", UpdateOf("B3")}));
}

TEST_F(BlockScriptTest, EmptyTagNameLeavesNothingToRecord) {
  EXPECT_EQ(RunAndRecord("<B1/>\nA\n/\n<B2/>\n</>\n", DbType::postgresql, "B1"), Lines{"A"});
}

TEST_F(BlockScriptTest, CrLfAndByteOrderMarkDoNotHideTheStartTag) {
  EXPECT_EQ(
      RunAndRecord("\xEF\xBB\xBF<B1/>\r\nS1\r\n/\r\n<B2/>\r\nS2\r\n/\r\n", DbType::oracle, "B1"),
      (Lines{"S", "S", UpdateOf("B2")}));
  EXPECT_EQ(out[2], "Found tag <B1/> at line 1");
}

TEST_F(BlockScriptTest, CrLfFileGivesTheSameBlocks) {
  const Lines lf = RunAndRecord("SELECT\n  1;\n/\nSELECT 2;", DbType::postgresql);
  EXPECT_EQ(RunAndRecord("SELECT\r\n  1;\r\n/\r\nSELECT 2;\r\n", DbType::postgresql), lf);
  EXPECT_EQ(lf, (Lines{"SELECT\n  1;", "SELECT 2;"}));
}

TEST_F(BlockScriptTest, MissingFileIsReportedBeforeABadKind) {
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunSqlBlockCommandScript(".\\blocks\\none.sql", executor, DbType::db2, "");
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open block command script file '.\\blocks\\none.sql'.");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(BlockScriptTest, BadKindIsRaisedBeforeAnythingIsWritten) {
  for (const DbType dbType : {DbType::none, DbType::db2}) {
    RecordingExecutor executor;
    Run("SELECT 1\n", executor, dbType, "B1");
    EXPECT_EQ(failure, "RunSqlBlockCommandScript() Invalid DB type.");
    EXPECT_EQ(out, Lines{});
    EXPECT_EQ(executor.attempted(), Lines{});
  }
}

TEST_F(BlockScriptTest, FolderIsReportedLikeAFileThatCannotBeOpened) {
  folder.WriteFile("blocks/dir/x.sql", "SELECT 1");
  RecordingExecutor executor;
  ConsoleCapture console;
  try {
    RunSqlBlockCommandScript(".\\blocks\\dir", executor, DbType::postgresql, "");
    FAIL() << "no failure";
  } catch (const std::runtime_error& thrown) {
    EXPECT_STREQ(thrown.what(), "Cannot open block command script file '.\\blocks\\dir'.");
  }
  EXPECT_EQ(console.out(), "");
}

TEST_F(BlockScriptTest, ReadFailureEndsTheCallWithoutRecording) {
  FailingStreamBuf buffer("<B1/>\nA\n/\n<B2/>\nB\n");
  std::istream stream(&buffer);
  ScriptLineReader reader(stream, "b.sql");
  RecordingExecutor executor;
  ConsoleCapture console;
  RunSqlBlockCommandScript(reader, "b.sql", executor, DbType::postgresql, "B1");
  EXPECT_EQ(executor.attempted(), Lines{"A"});
  EXPECT_EQ(console.ErrLines(),
            Lines{"Error while executing b.sql:5, reason: Cannot read script file 'b.sql' after "
                  "line 5."});
}

TEST_F(BlockScriptTest, LargeBlocksStayWhole) {
  std::string content;
  std::string expected;
  for (int line = 0; line < 20000; ++line) {
    const std::string text = "-- " + std::string(50, static_cast<char>('a' + line % 26));
    content += text + "\n";
    expected += text + "\n";
  }
  content += "SELECT 1;\n/\n";
  expected += "SELECT 1;";
  EXPECT_EQ(RunAndRecord(content, DbType::postgresql), Lines{expected});
}

}  // namespace
