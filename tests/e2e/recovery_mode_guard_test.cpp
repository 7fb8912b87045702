// The SQL Server recovery model switch around the work of a run, seen from the statements that
// reach the scripted driver and from the console: when it switches, how it restores, and what
// happens when one of its statements or the work in between fails.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

constexpr const char* kToSimple = "alter database [TWDB] set recovery simple";
constexpr const char* kToFull = "alter database [TWDB] set recovery FULL";

/// What the scripted SQL Server answers to the switch's statements and the schema-hash reset.
/// Each field is the body of a rule; an empty field leaves the rule out.
struct GuardServer {
  std::string databaseName = "TWDB";
  std::string nameAnswer;  ///< replaces the answer built from databaseName
  std::string permission = IntRows({1});
  std::string model = TextRows("mode", {"FULL"});
  std::string switchAnswer = "  ok\n";
  std::string restoreAnswer = "  ok\n";
  std::string restoreModel = "FULL";
  std::string deleteTable = "  no-data\n";

  std::string ToSimple() const { return "alter database [" + Escaped() + "] set recovery simple"; }
  std::string Restore() const {
    return "alter database [" + Escaped() + "] set recovery " + restoreModel;
  }
  std::string Escaped() const {
    std::string escaped;
    for (const char c : databaseName) {
      escaped += c;
      if (c == ']') escaped += ']';
    }
    return escaped;
  }

  std::string Fixture() const {
    return Rule("exact", kDatabaseNameQuery,
                nameAnswer.empty() ? TextRows("name", {databaseName}) : nameAnswer) +
           Rule("exact", kAlterPermissionQuery, permission) +
           Rule("exact", kRecoveryModelQuery, model) + Rule("exact", ToSimple(), switchAnswer) +
           Rule("exact", Restore(), restoreAnswer) + Rule("exact", kDeleteTable, deleteTable) +
           Rule("exact", kDeleteIndexColumn, "  no-data\n") +
           Rule("exact", kDeleteSchemaHash, "  no-data\n");
  }
};

std::vector<std::string> ResetStatements() {
  return {kDeleteTable, kDeleteIndexColumn, kDeleteSchemaHash};
}

class RecoveryModeTest : public ScriptedE2eTest {
 protected:
  void UseServer(const GuardServer& server) {
    AddScriptedDsn(scripted_odbc::kSqlServerDriver, server.Fixture());
  }

  /// An upgrade from 655: no upgrade step applies, only the schema-hash reset runs.
  ProgramRun RunUpgrade() { return RunScripted("mssql", {"-b", "655"}); }

  static std::vector<std::string> StartLines() {
    return Concat({SettingsLines("mssql", kScriptedUser, kScriptedDsn, "655"),
                   {"Connected to database. DSN='TWDB scripted' user='twdba'"}});
  }

  /// What the switch to simple prints.
  static std::vector<std::string> SwitchLines(const std::string& model,
                                              const std::string& toSimple = kToSimple) {
    return Concat(
        {{"Original recovery mode is " + model}, Trace(toSimple), {"Executed query: " + toSimple}});
  }

  /// What the restore prints.
  static std::vector<std::string> RestoreLines(const std::string& restore) {
    return Concat({Trace(restore), {"Executed query: " + restore}});
  }

  /// The report of a failed statement as the inner error level prints it.
  static std::vector<std::string> ErrorReport(const std::string& statement,
                                              const std::string& record) {
    return Report("ERROR: Statement failure(rc=-1).", statement, record);
  }

  static std::string PermissionFailureLine() {
    return std::string("Error executing statement '") + kAlterPermissionQuery +
           "', reason: Statement failure(rc=-1).";
  }
};

TEST_F(RecoveryModeTest, OracleGetsNoRecoveryStatement) {
  AddScriptedDsn(scripted_odbc::kOracleDriver, GuardServer{}.Fixture());
  const ProgramRun run = RunScripted("oracle", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(), ResetStatements());
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("oracle", kScriptedUser, kScriptedDsn, "655"),
                                       {"Connected to database. DSN='TWDB scripted' user='twdba'"},
                                       ResetTrace(),
                                       {"Exiting. Status=0"}}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, PostgresqlGetsNoRecoveryStatement) {
  AddScriptedDsn("PostgreSQL Unicode", GuardServer{}.Fixture());
  const ProgramRun run = RunScripted("postgresql", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(), ResetStatements());
  ExpectEveryStatementFreed();
}

class SwitchedModelTest : public RecoveryModeTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(SwitchedModelTest, IsSwitchedToSimpleAndRestoredAfterTheWork) {
  GuardServer server;
  server.model = TextRows("mode", {GetParam()});
  server.restoreModel = GetParam();
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string restore = server.Restore();
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       SwitchLines(GetParam()),
                                       ResetTrace(),
                                       RestoreLines(restore),
                                       {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  // The model query's statement stays open, its row unread to the end, while the switch runs on
  // a statement of its own.
  EXPECT_EQ(SplitLines(ReadWholeFile(JournalPath())),
            (std::vector<std::string>{
                "CONNECT dsn=TWDB scripted user=twdba",
                "CONNECT-RESULT ok",
                "ALLOC STMT #1",
                std::string("EXEC #1 ") + kDatabaseNameQuery,
                "EXEC-RESULT #1 ok",
                "FETCH #1 row",
                "FREE STMT #1",
                "ALLOC STMT #2",
                std::string("EXEC #2 ") + kAlterPermissionQuery,
                "EXEC-RESULT #2 ok",
                "FETCH #2 row",
                "FREE STMT #2",
                "ALLOC STMT #3",
                std::string("EXEC #3 ") + kRecoveryModelQuery,
                "EXEC-RESULT #3 ok",
                "FETCH #3 row",
                "ALLOC STMT #4",
                std::string("EXEC #4 ") + kToSimple,
                "EXEC-RESULT #4 ok",
                "FREE STMT #4",
                "FREE STMT #3",
                "ALLOC STMT #5",
                std::string("EXEC #5 ") + kDeleteTable,
                "EXEC-RESULT #5 no-data",
                "FREE STMT #5",
                "ALLOC STMT #6",
                std::string("EXEC #6 ") + kDeleteIndexColumn,
                "EXEC-RESULT #6 no-data",
                "FREE STMT #6",
                "ALLOC STMT #7",
                std::string("EXEC #7 ") + kDeleteSchemaHash,
                "EXEC-RESULT #7 no-data",
                "FREE STMT #7",
                "ALLOC STMT #8",
                std::string("EXEC #8 ") + kAlterPermissionQuery,
                "EXEC-RESULT #8 ok",
                "FETCH #8 row",
                "FREE STMT #8",
                "ALLOC STMT #9",
                "EXEC #9 " + restore,
                "EXEC-RESULT #9 ok",
                "FREE STMT #9",
                "DISCONNECT",
            }));
}

INSTANTIATE_TEST_SUITE_P(Models, SwitchedModelTest, ::testing::Values("FULL", "BULK_LOGGED"));

class SimpleModelTest : public RecoveryModeTest,
                        public ::testing::WithParamInterface<std::string> {};

TEST_P(SimpleModelTest, IsLeftAsItIs) {
  GuardServer server;
  server.model = TextRows("mode", {GetParam()});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       {"Original recovery mode is " + GetParam()},
                                       ResetTrace(),
                                       {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery},
                    ResetStatements(),
                    {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

INSTANTIATE_TEST_SUITE_P(Models, SimpleModelTest, ::testing::Values("SIMPLE", "simple", "Simple"));

TEST_F(RecoveryModeTest, NoModelRowMeansNoSwitchAndNoMessage) {
  GuardServer server;
  server.model = TextRows("mode", {});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery},
                    ResetStatements(),
                    {kAlterPermissionQuery}}));
}

TEST_F(RecoveryModeTest, ANullModelIsPrintedEmptyAndNotSwitched) {
  GuardServer server;
  server.model = TextRows("mode", {std::nullopt});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(
      run.OutLines(),
      Concat({StartLines(), {"Original recovery mode is "}, ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery},
                    ResetStatements(),
                    {kAlterPermissionQuery}}));
}

class NoPermissionTest : public RecoveryModeTest,
                         public ::testing::WithParamInterface<std::optional<int>> {};

TEST_P(NoPermissionTest, MeansNoSwitchAndNoMessage) {
  GuardServer server;
  server.permission = IntRows({GetParam()});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ExecutedStatements(), Concat({{kDatabaseNameQuery, kAlterPermissionQuery},
                                          ResetStatements(),
                                          {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

INSTANTIATE_TEST_SUITE_P(Answers, NoPermissionTest,
                         ::testing::Values(std::optional<int>(0), std::optional<int>(std::nullopt),
                                           std::optional<int>(2)));

TEST_F(RecoveryModeTest, NoPermissionRowMeansNoSwitch) {
  GuardServer server;
  server.permission = IntRows({});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(ExecutedStatements(), Concat({{kDatabaseNameQuery, kAlterPermissionQuery},
                                          ResetStatements(),
                                          {kAlterPermissionQuery}}));
}

TEST_F(RecoveryModeTest, AFailingPermissionQueryIsReportedAndMeansNoPermission) {
  GuardServer server;
  server.permission = Failure("42000", 229, "The EXECUTE permission was denied.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  // Asked at construction and again at release; both fail.
  EXPECT_LINES(run.OutLines(),
               Concat({StartLines(), {"failed."}, ResetTrace(), {"failed.", "Exiting. Status=0"}}));
  const std::vector<std::string> report = {PermissionFailureLine(), kAlterPermissionQuery,
                                           "^^^^^^^^^^", "",
                                           "1 [42000](229) The EXECUTE permission was denied."};
  EXPECT_LINES(run.ErrLines(), Concat({report, report}));
  EXPECT_EQ(ExecutedStatements(), Concat({{kDatabaseNameQuery, kAlterPermissionQuery},
                                          ResetStatements(),
                                          {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, APermissionValueThatIsNoNumberIsReportedAsAFailedStatement) {
  GuardServer server;
  server.permission = TextRows("granted", {"yes"});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({StartLines(), {"failed."}, ResetTrace(), {"failed.", "Exiting. Status=0"}}));
  const std::vector<std::string> report = {
      std::string("Error executing statement '") + kAlterPermissionQuery +
          "', reason: Cannot get the result data as Int32 at position 1 (rc=-1).",
      "1 [22018](0) Invalid character value for cast"};
  EXPECT_LINES(run.ErrLines(), Concat({report, report}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, ASwitchRefusedByTheServerIsReportedAndNothingIsRestored) {
  GuardServer server;
  server.switchAnswer =
      Failure("42000", 5011,
              "User does not have permission to alter database 'TWDB', or it does not exist.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(
      run.OutLines(),
      Concat({StartLines(),
              {"Original recovery mode is FULL", "{TS} - Executing: ", kToSimple,
               "Failed to set [TWDB] to simple recovery.", "Statement failure(rc=-1).", kToSimple,
               "^^^^^^^^^^", "",
               "1 [42000](5011) User does not have permission to alter database 'TWDB', or it "
               "does not exist."},
              ResetTrace(),
              {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery, kToSimple},
                    ResetStatements(),
                    {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, PermissionWithdrawnBeforeTheReleaseLeavesTheDatabaseInSimple) {
  GuardServer server;
  server.permission = IntRows({1}) + "then\n" + IntRows({0});
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({StartLines(), SwitchLines("FULL"), ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery, kToSimple},
                    ResetStatements(),
                    {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

class NoDatabaseNameTest : public RecoveryModeTest,
                           public ::testing::WithParamInterface<std::string> {};

TEST_P(NoDatabaseNameTest, EndsTheRunThroughTheInnerErrorLevel) {
  GuardServer server;
  server.nameAnswer = GetParam();
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: The operation cannot be performed because a database name was not "
                "specified."});
  EXPECT_EQ(ExecutedStatements(), std::vector<std::string>{kDatabaseNameQuery});
  ExpectEveryStatementFreed();
}

INSTANTIATE_TEST_SUITE_P(Answers, NoDatabaseNameTest,
                         ::testing::Values(TextRows("name", {}), TextRows("name", {std::nullopt}),
                                           TextRows("name", {""})));

TEST_F(RecoveryModeTest, AFailingDatabaseNameQueryEndsTheRun) {
  GuardServer server;
  server.nameAnswer = Failure("08S01", 10054, "Communication link failure");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               ErrorReport(kDatabaseNameQuery, "1 [08S01](10054) Communication link failure"));
  EXPECT_EQ(ExecutedStatements(), std::vector<std::string>{kDatabaseNameQuery});
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, AFailingModelQueryEndsTheRunWithoutRelease) {
  GuardServer server;
  server.model = Failure("42000", 102, "Incorrect syntax near 'recovery'.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(), ErrorReport(kRecoveryModelQuery,
                                           "1 [42000](102) Incorrect syntax near 'recovery'."));
  EXPECT_EQ(
      ExecutedStatements(),
      (std::vector<std::string>{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, AFailureInTheWorkAfterASwitchRestoresBeforeTheConnectionCloses) {
  GuardServer server;
  server.deleteTable = Failure("42S02", 208, "Invalid object name 'TWX_TABLE'.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       SwitchLines("FULL"),
                                       {"{TS} - Executing: ", kDeleteTable},
                                       RestoreLines(kToFull),
                                       {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               ErrorReport(kDeleteTable, "1 [42S02](208) Invalid object name 'TWX_TABLE'."));
  EXPECT_EQ(JournalOutline(), (std::vector<std::string>{
                                  "CONNECT dsn=TWDB scripted user=twdba", "CONNECT-RESULT ok",
                                  std::string("EXEC ") + kDatabaseNameQuery, "EXEC-RESULT ok",
                                  std::string("EXEC ") + kAlterPermissionQuery, "EXEC-RESULT ok",
                                  std::string("EXEC ") + kRecoveryModelQuery, "EXEC-RESULT ok",
                                  std::string("EXEC ") + kToSimple, "EXEC-RESULT ok",
                                  std::string("EXEC ") + kDeleteTable, "EXEC-RESULT error",
                                  std::string("EXEC ") + kAlterPermissionQuery, "EXEC-RESULT ok",
                                  std::string("EXEC ") + kToFull, "EXEC-RESULT ok", "DISCONNECT"}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, AFailingRestoreEndsTheRunWithStatusOne) {
  GuardServer server;
  server.restoreAnswer = Failure("42000", 5069, "ALTER DATABASE statement failed.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       SwitchLines("FULL"),
                                       ResetTrace(),
                                       {"{TS} - Executing: ", kToFull, "Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               ErrorReport(kToFull, "1 [42000](5069) ALTER DATABASE statement failed."));
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery, kToSimple},
                    ResetStatements(),
                    {kAlterPermissionQuery, kToFull}}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, AFailingRestoreAfterAFailedWorkReportsBothFailuresInOrder) {
  GuardServer server;
  server.deleteTable = Failure("42S02", 208, "Invalid object name 'TWX_TABLE'.");
  server.restoreAnswer = Failure("42000", 5069, "ALTER DATABASE statement failed.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  // An orderly end, not an abort.
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       SwitchLines("FULL"),
                                       {"{TS} - Executing: ", kDeleteTable},
                                       {"{TS} - Executing: ", kToFull, "Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               Concat({ErrorReport(kDeleteTable, "1 [42S02](208) Invalid object name 'TWX_TABLE'."),
                       ErrorReport(kToFull, "1 [42000](5069) ALTER DATABASE statement failed.")}));
  EXPECT_EQ(
      ExecutedStatements(),
      (std::vector<std::string>{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery,
                                kToSimple, kDeleteTable, kAlterPermissionQuery, kToFull}));
  ExpectEveryStatementFreed();
}

TEST_F(RecoveryModeTest, WithoutTheVersionOptionTheModelIsRestoredBeforeTheRunEnds) {
  UseServer(GuardServer{});
  const ProgramRun run = RunScripted("mssql", {});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("mssql", kScriptedUser, kScriptedDsn, "650"),
                                       {"Connected to database. DSN='TWDB scripted' user='twdba'"},
                                       SwitchLines("FULL"),
                                       UsageLines(),
                                       RestoreLines(kToFull)}));
  EXPECT_LINES(run.ErrLines(), {"ERROR: Version option is mandatory!"});
  EXPECT_EQ(
      ExecutedStatements(),
      (std::vector<std::string>{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery,
                                kToSimple, kAlterPermissionQuery, kToFull}));
}

TEST_F(RecoveryModeTest, ADatabaseNameWithAClosingBracketIsEscapedInsideTheBrackets) {
  GuardServer server;
  server.databaseName = "TW]DB";
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string toSimple = "alter database [TW]]DB] set recovery simple";
  const std::string toFull = "alter database [TW]]DB] set recovery FULL";
  EXPECT_LINES(run.OutLines(), Concat({StartLines(),
                                       SwitchLines("FULL", toSimple),
                                       ResetTrace(),
                                       RestoreLines(toFull),
                                       {"Exiting. Status=0"}}));
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery, toSimple},
                    ResetStatements(),
                    {kAlterPermissionQuery, toFull}}));
}

TEST_F(RecoveryModeTest, ARefusedSwitchShowsTheDatabaseNameAsRead) {
  GuardServer server;
  server.databaseName = "TW]DB";
  server.switchAnswer = Failure("42000", 5011, "Refused.");
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string toSimple = "alter database [TW]]DB] set recovery simple";
  EXPECT_LINES(run.OutLines(),
               Concat({StartLines(),
                       {"Original recovery mode is FULL", "{TS} - Executing: ", toSimple,
                        "Failed to set [TW]DB] to simple recovery.", "Statement failure(rc=-1).",
                        toSimple, "^^^^^^^^^^", "", "1 [42000](5011) Refused."},
                       ResetTrace(),
                       {"Exiting. Status=0"}}));
}

TEST_F(RecoveryModeTest, ADatabaseNameOf1023CharactersIsReadWhole) {
  GuardServer server;
  server.databaseName = Repeat('n', 1023);
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(
      ExecutedStatements(),
      Concat({{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery, server.ToSimple()},
              ResetStatements(),
              {kAlterPermissionQuery, server.Restore()}}));
}

TEST_F(RecoveryModeTest, ADatabaseNameOf1024CharactersDoesNotFitItsBuffer) {
  GuardServer server;
  server.databaseName = Repeat('n', 1024);
  UseServer(server);
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({StartLines(), {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: The operation required too much data to be stored in the specified "
                "buffer."});
  EXPECT_EQ(ExecutedStatements(), std::vector<std::string>{kDatabaseNameQuery});
  ExpectEveryStatementFreed();
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
