// Upgrade runs on SQL Server and Oracle through the scripted ODBC driver: every statement of the
// catalogue's scripts reaches the driver as the runners cut it, in catalogue order.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "scripted_odbc_home.h"
#include "support/output_match.h"

namespace upgrade_e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kUser = "twdba";
constexpr const char* kPassword = "scripted-secret";
constexpr const char* kDatabaseNameQuery = "select DB_NAME();";
constexpr const char* kAlterPermissionQuery =
    "SELECT HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', 'ALTER')";
constexpr int kStepBaseVersions[] = {550, 600, 650};

std::string KindName(DbType dbType) {
  return dbType == DbType::mssql ? "mssql" : "oracle";
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

/// The statements that the fixture file of an entry sends, as the runner of its kind cuts them.
/// The fixture files (tests/fixtures/upgrade/<kind>) follow one pattern per kind of entry, with
/// names made of the file's stem and the step's base version.
Lines ExpectedStatements(DbType dbType, int baseVersion, const std::string& entry) {
  const std::string kind = entry.substr(0, entry.find(':'));
  const std::string file = FileOf(entry);
  const std::string suffix = "_" + KindName(dbType) + ".sql";
  const std::string name =
      file.substr(0, file.size() - suffix.size()) + "_" + std::to_string(baseVersion);
  if (dbType == DbType::mssql) {
    if (kind == "block") {
      // "go" ends a block, in lower case only, and may stand between blanks.
      return {"-- " + file + "\nCREATE TABLE " + name + "_t (id int NOT NULL)",
              "INSERT INTO " + name + "_t VALUES (1)\nGO\nSELECT 'GO is SQL here' AS note"};
    }
    if (kind == "cmds") {
      return {"-- " + file + "\nEXEC sp_add_job @job_name = N'" + name + "'",
              "EXEC sp_add_jobstep @job_name = N'" + name + "', @command = N'EXEC " + name + "'"};
    }
    return {"CREATE PROCEDURE " + name + " AS\nBEGIN\n  SET NOCOUNT ON;\n  SELECT 1;\nEND"};
  }
  if (kind == "block") {
    // "/" ends a block; a plain statement loses its last character, code blocks keep it, and the
    // block at the end of the file is sent as it stands.
    return {"-- " + file + "\nCREATE TABLE " + name + "_t (id NUMBER)",
            "BEGIN\n  INSERT INTO " + name + "_t VALUES (1);\nEND;",
            "declare n number; begin select count(*) into n from " + name + "_t; end;",
            "UPDATE " + name + "_t SET id = 2;"};
  }
  if (kind == "cmds") {
    return {"-- " + file + "\nCREATE OR REPLACE VIEW " + name + "_v AS SELECT 1 AS x FROM DUAL",
            "CREATE OR REPLACE VIEW " + name + "_w AS SELECT 2 AS y FROM DUAL"};
  }
  if (kind == "batch") {
    return {"BEGIN   DBMS_SCHEDULER.CREATE_JOB(job_name => '" + Upper(name) +
            "', job_type => 'STORED_PROCEDURE'); END;"};
  }
  return {"CREATE OR REPLACE PROCEDURE " + name + " AS\nBEGIN\n  NULL;\nEND;"};
}

Lines ResetStatements() {
  return {"DELETE FROM TWX_TABLE", "DELETE FROM TWX_INDEX_COLUMN", "DELETE FROM TWX_SCHEMA_HASH"};
}

/// Every statement of an ordinary run that completes, without the recovery-model queries.
Lines ExpectedRun(DbType dbType, int sourceVersion) {
  Lines statements;
  for (const int baseVersion : kStepBaseVersions) {
    if (baseVersion < sourceVersion) continue;
    for (const bool afterLaunch : {false, true}) {
      for (const std::string& entry : StepEntries(baseVersion, dbType, false, afterLaunch)) {
        const Lines more = ExpectedStatements(dbType, baseVersion, entry);
        statements.insert(statements.end(), more.begin(), more.end());
      }
      if (!afterLaunch) {
        const Lines reset = ResetStatements();
        statements.insert(statements.end(), reset.begin(), reset.end());
      }
    }
  }
  const Lines reset = ResetStatements();
  statements.insert(statements.end(), reset.begin(), reset.end());
  return statements;
}

/// A text as a quoted fixture string.
std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

class UpgradeScriptedTest : public UpgradeTest {
 protected:
  /// Serves the test's DSN with the scripted driver under the kind's driver name: the SQL Server
  /// recovery-model guard finds no ALTER permission, the statements given fail, and every other
  /// statement succeeds. Installs the kind's fixture scripts and the stand-in liftaide.
  void UseScriptedServer(DbType dbType, const Lines& failing = {}) {
    dbType_ = dbType;
    std::string fixture = "connect\nend\n";
    if (dbType == DbType::mssql) {
      fixture += "rule exact " + Quote(kDatabaseNameQuery) + "\n  columns name:text\n" +
                 "  row \"TWDB\"\nend\n";
      fixture += "rule exact " + Quote(kAlterPermissionQuery) + "\n  columns int\n  row 0\nend\n";
    }
    for (const std::string& statement : failing) {
      fixture += "rule exact " + Quote(statement) +
                 "\n  fail\n    diag 42S02 942 \"table or view does not exist\"\nend\n";
    }
    fixture += "rule any\nend\n";
    const std::string driver =
        dbType == DbType::mssql ? scripted_odbc::kSqlServerDriver : scripted_odbc::kOracleDriver;
    journal_ = temp().path() / "scripted" / "journal.txt";
    const std::filesystem::path fixturePath = temp().WriteFile("scripted/fixture.txt", fixture);
    odbcIni().AddDriver(driver, SCRIPTED_DRIVER_LIBRARY);
    odbcIni().AddDsn(kTestDsn, driver,
                     {{"Fixture", fixturePath.string()}, {"Journal", journal_.string()}});
    InstallScripts(KindName(dbType));
    InstallLiftaide();
  }

  ProgramRun RunScripted(int sourceVersion) {
    return RunSchemalift({"-t", KindName(dbType_), "-d", B64(kTestDsn), "-u", B64(kUser), "-p",
                          B64(kPassword), "-y", "-b", std::to_string(sourceVersion)});
  }

  /// The statements that reached the driver, in order, without the recovery-model queries.
  Lines ExecutedStatements() const {
    Lines statements;
    for (const scripted_odbc::JournalEvent& event :
         scripted_odbc::ParseJournal(SplitLines(ReadWholeFile(journal_)))) {
      if (event.event != "EXEC") continue;
      if (event.detail == kDatabaseNameQuery || event.detail == kAlterPermissionQuery) continue;
      statements.push_back(event.detail);
    }
    return statements;
  }

  std::string Launch(int baseVersion) const {
    return "[" + std::to_string(baseVersion) + "] [" + B64(kTestDsn) + "] [" + B64(kUser) + "] [" +
           B64(kPassword) + "]";
  }

  /// The statement that follows the first one equal to `statement`; empty when there is none.
  std::string StatementAfter(const Lines& statements, const std::string& statement) const {
    const auto found = std::find(statements.begin(), statements.end(), statement);
    return found == statements.end() || found + 1 == statements.end() ? "" : *(found + 1);
  }

 private:
  DbType dbType_ = DbType::mssql;
  std::filesystem::path journal_;
};

TEST_F(UpgradeScriptedTest, SqlServerFromFiveFiftySendsEveryScriptStatementByStatement) {
  UseScriptedServer(DbType::mssql);
  const ProgramRun run = RunScripted(550);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Lines statements = ExecutedStatements();
  EXPECT_EQ(statements, ExpectedRun(DbType::mssql, 550));
  EXPECT_EQ(LiftaideRecord(), (Lines{Launch(550), Launch(600), Launch(650)}));
  EXPECT_EQ(LaunchLines(run.OutLines()),
            (Lines{MaskedLaunchLine(550, kTestDsn, kUser), MaskedLaunchLine(600, kTestDsn, kUser),
                   MaskedLaunchLine(650, kTestDsn, kUser)}));
}

TEST_F(UpgradeScriptedTest, SqlServerListHasPurgeUsageStatsThirteenthAndCommandJobs) {
  UseScriptedServer(DbType::mssql);
  const ProgramRun run = RunScripted(650);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines statements = ExecutedStatements();
  EXPECT_EQ(statements, ExpectedRun(DbType::mssql, 650));
  // Position 12, 13 and 14 of the full list: the last "l_" procedure, purge_usage_stats, and the
  // first job script, a command script of two statements.
  const std::string procedureBody = " AS\nBEGIN\n  SET NOCOUNT ON;\n  SELECT 1;\nEND";
  EXPECT_EQ(StatementAfter(statements, "CREATE PROCEDURE l_purge_stat3_proc_650" + procedureBody),
            "CREATE PROCEDURE purge_usage_stats_proc_650" + procedureBody);
  EXPECT_EQ(
      StatementAfter(statements, "CREATE PROCEDURE purge_usage_stats_proc_650" + procedureBody),
      "-- job_schedule1_mssql.sql\nEXEC sp_add_job @job_name = N'job_schedule1_650'");
  EXPECT_EQ(StatementAfter(
                statements,
                "-- job_schedule1_mssql.sql\nEXEC sp_add_job @job_name = N'job_schedule1_650'"),
            "EXEC sp_add_jobstep @job_name = N'job_schedule1_650', @command = N'EXEC "
            "job_schedule1_650'");
  EXPECT_EQ(StatementAfter(statements, "CREATE PROCEDURE purge_stat3_proc_650" + procedureBody),
            "CREATE PROCEDURE l_stats_rollup1_proc_650" + procedureBody);
  EXPECT_EQ(LinesStartingWith(run.OutLines(), "type : 'cmds'").size(), 10u);
  EXPECT_EQ(LinesStartingWith(run.OutLines(), "type : 'batch'").size(), 0u);
}

TEST_F(UpgradeScriptedTest, OracleListHasPurgeUsageStatsEighthAndBatchJobs) {
  UseScriptedServer(DbType::oracle);
  const ProgramRun run = RunScripted(650);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines statements = ExecutedStatements();
  EXPECT_EQ(statements, ExpectedRun(DbType::oracle, 650));
  const std::string procedureBody = " AS\nBEGIN\n  NULL;\nEND;";
  // Positions 7, 8 and 9: purge_stat3, purge_usage_stats, the first "l_" procedure.
  EXPECT_EQ(StatementAfter(statements,
                           "CREATE OR REPLACE PROCEDURE purge_stat3_proc_650" + procedureBody),
            "CREATE OR REPLACE PROCEDURE purge_usage_stats_proc_650" + procedureBody);
  EXPECT_EQ(StatementAfter(statements, "CREATE OR REPLACE PROCEDURE purge_usage_stats_proc_650" +
                                           procedureBody),
            "CREATE OR REPLACE PROCEDURE l_stats_rollup1_proc_650" + procedureBody);
  // Positions 13 and 14: the last "l_" procedure, then the first job, one batch statement whose
  // lines are joined by blanks.
  EXPECT_EQ(StatementAfter(statements,
                           "CREATE OR REPLACE PROCEDURE l_purge_stat3_proc_650" + procedureBody),
            "BEGIN   DBMS_SCHEDULER.CREATE_JOB(job_name => 'JOB_SCHEDULE1_650', job_type => "
            "'STORED_PROCEDURE'); END;");
  EXPECT_EQ(LinesStartingWith(run.OutLines(), "type : 'batch'").size(), 9u);
  EXPECT_EQ(LinesStartingWith(run.OutLines(), "type : 'cmds'").size(), 1u);
  EXPECT_EQ(LiftaideRecord(), Lines{Launch(650)});
}

TEST_F(UpgradeScriptedTest, OracleBlocksEndAtSlashAndLoseTheirSemicolonUnlessCodeBlocks) {
  UseScriptedServer(DbType::oracle);
  const ProgramRun run = RunScripted(600);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines statements = ExecutedStatements();
  EXPECT_EQ(statements, ExpectedRun(DbType::oracle, 600));
  ASSERT_GE(statements.size(), 4u);
  EXPECT_EQ(Lines(statements.begin(), statements.begin() + 4),
            (Lines{"-- upgrade_oracle.sql\nCREATE TABLE upgrade_600_t (id NUMBER)",
                   "BEGIN\n  INSERT INTO upgrade_600_t VALUES (1);\nEND;",
                   "declare n number; begin select count(*) into n from upgrade_600_t; end;",
                   "UPDATE upgrade_600_t SET id = 2;"}));
}

TEST_F(UpgradeScriptedTest, FailingOracleBlockStatementIsReportedAndTheRunGoesOn) {
  UseScriptedServer(DbType::oracle, {"BEGIN\n  INSERT INTO upgrade_600_t VALUES (1);\nEND;"});
  const ProgramRun run = RunScripted(600);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const Lines err = run.ErrLines();
  ASSERT_GE(err.size(), 2u) << run.err;
  EXPECT_EQ(
      err[0],
      "Error while executing .\\Upgrade-v2015-to-v2016\\oracle\\upgrade_oracle.sql:7, reason: "
      "Statement failure(rc=-1).");
  EXPECT_EQ(err[1], "BEGIN");
  Lines expected = ExpectedRun(DbType::oracle, 600);
  expected.erase(expected.begin() + 2, expected.begin() + 4);  // the rest of that script
  EXPECT_EQ(ExecutedStatements(), expected);
  EXPECT_EQ(LiftaideRecord(), (Lines{Launch(600), Launch(650)}));
}

TEST_F(UpgradeScriptedTest, SqlServerGoTerminatorsReachTheDriverAsBlocks) {
  UseScriptedServer(DbType::mssql);
  const ProgramRun run = RunScripted(600);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 2u);
  EXPECT_EQ(Lines(statements.begin(), statements.begin() + 2),
            (Lines{"-- upgrade_mssql.sql\nCREATE TABLE upgrade_600_t (id int NOT NULL)",
                   "INSERT INTO upgrade_600_t VALUES (1)\nGO\nSELECT 'GO is SQL here' AS note"}));
  EXPECT_EQ(statements, ExpectedRun(DbType::mssql, 600));
}

}  // namespace
}  // namespace upgrade_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
