// In validation mode the SQL Server recovery model is never switched: the guard reads the database
// name and the ALTER permission, and asks for the permission once more at its release.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

class RecoveryModeValidationTest : public ScriptedE2eTest {
 protected:
  void SetUp() override {
    ScriptedE2eTest::SetUp();
    // Validation scripts without statements: the run goes through them to the checks.
    temp().WriteFile("work/Upgrade-v2016-to-v2017/mssql/validate_schema_mssql.sql", "");
    temp().WriteFile("work/Upgrade-v2016-to-v2017/mssql/validate_mssql.sql", "");
  }
};

TEST_F(RecoveryModeValidationTest, ReadsTheNameAndThePermissionButNeverSwitches) {
  // A server that would allow the switch: permission granted, model FULL.
  AddScriptedDsn(scripted_odbc::kSqlServerDriver,
                 Rule("exact", kDatabaseNameQuery, TextRows("name", {"TWDB"})) +
                     Rule("exact", kAlterPermissionQuery, IntRows({1})) +
                     Rule("exact", kRecoveryModelQuery, TextRows("mode", {"FULL"})) +
                     // Every query of the validation finds nothing.
                     "rule any\n" + TextRows("value", {}) + "end\n");
  const ProgramRun run = RunScripted("mssql", {"-v", "warnings.txt", "-b", "650"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(statements.begin(), statements.begin() + 2),
            (std::vector<std::string>{kDatabaseNameQuery, kAlterPermissionQuery}));
  EXPECT_EQ(statements.back(), kAlterPermissionQuery);
  EXPECT_EQ(std::count(statements.begin(), statements.end(), kAlterPermissionQuery), 2);
  for (const std::string& statement : statements) {
    EXPECT_NE(statement, kRecoveryModelQuery);
    EXPECT_FALSE(statement.starts_with("alter database")) << statement;
  }
  // Nothing of the guard on the console: the settings, the connect, then the validation.
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 9u);
  EXPECT_LINES(std::vector<std::string>(out.begin(), out.begin() + 8),
               Concat({SettingsLines("mssql", kScriptedUser, kScriptedDsn, "650"),
                       {"Connected to database. DSN='TWDB scripted' user='twdba'",
                        "Validating source version, inventory, db schema and permissions..."}}));
  for (const std::string& line : out) {
    EXPECT_FALSE(line.starts_with("Original recovery mode is")) << line;
    EXPECT_FALSE(line.starts_with("Executed query:")) << line;
  }
  EXPECT_EQ(out.back(), "Exiting. Status=0");
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeValidationTest, AFailingPermissionQueryIsReportedAtConstructionAndRelease) {
  AddScriptedDsn(scripted_odbc::kSqlServerDriver,
                 Rule("exact", kDatabaseNameQuery, TextRows("name", {"TWDB"})) +
                     Rule("exact", kAlterPermissionQuery, Failure("42000", 229, "Denied.")) +
                     "rule any\n" + TextRows("value", {}) + "end\n");
  const ProgramRun run = RunScripted("mssql", {"-v", "warnings.txt", "-b", "650"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> report = {
      std::string("Error executing statement '") + kAlterPermissionQuery +
          "', reason: Statement failure(rc=-1).",
      kAlterPermissionQuery, "^^^^^^^^^^", "", "1 [42000](229) Denied."};
  EXPECT_LINES(run.ErrLines(), Concat({report, report}));
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 9u);
  EXPECT_EQ(out[7], "failed.");
  EXPECT_EQ(out[8], "Validating source version, inventory, db schema and permissions...");
  EXPECT_EQ(out[out.size() - 2], "failed.");
  EXPECT_EQ(out.back(), "Exiting. Status=0");
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
