// The connection and the diagnostic reports through the scripted driver: informational and
// failing connects, long and non-ASCII diagnostic messages, informational statement results, and
// UTF-8 texts on their way to the driver.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

class ConnectionScriptedTest : public ScriptedE2eTest {
 protected:
  /// An Oracle run (no recovery model statements) from 655: only the schema-hash reset.
  ProgramRun RunOracle() { return RunScripted("oracle", {"-b", "655"}); }

  static std::vector<std::string> OracleSettings() {
    return SettingsLines("oracle", kScriptedUser, kScriptedDsn, "655");
  }

  static std::string ConnectedLine() {
    return "Connected to database. DSN='TWDB scripted' user='twdba'";
  }

  /// An Oracle data source whose first DELETE answers with `answer`; the others find no row.
  void AddOracleDsnFailingDelete(const std::string& answer) {
    AddScriptedDsn(scripted_odbc::kOracleDriver,
                   Rule("exact", kDeleteTable, answer) +
                       Rule("exact", kDeleteIndexColumn, "  no-data\n") +
                       Rule("exact", kDeleteSchemaHash, "  no-data\n"));
  }

  /// A run whose DELETE FROM TWX_TABLE failed: its output up to the failing statement.
  void ExpectFailedDelete(const ProgramRun& run) {
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_LINES(
        run.OutLines(),
        Concat({OracleSettings(),
                {ConnectedLine(), "{TS} - Executing: ", kDeleteTable, "Exiting. Status=1"}}));
  }
};

TEST_F(ConnectionScriptedTest, AConnectWithInformationCountsAsConnectedAndPrintsNoRecord) {
  AddScriptedDsn(scripted_odbc::kOracleDriver,
                 "connect\n  info\n" + Diag("01000", 5701, "Changed database context to 'TWDB'.") +
                     Diag("01000", 5703, "Changed language setting to us_english.") + "end\n" +
                     ResetRules());
  const ProgramRun run = RunOracle();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({OracleSettings(), {ConnectedLine()}, ResetTrace(), {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> outline = JournalOutline();
  ASSERT_GE(outline.size(), 2u);
  EXPECT_EQ(outline[0], "CONNECT dsn=TWDB scripted user=twdba");
  EXPECT_EQ(outline[1], "CONNECT-RESULT info");
}

TEST_F(ConnectionScriptedTest, AFailedConnectPrintsEveryRecordNumbered) {
  AddScriptedDsn(scripted_odbc::kOracleDriver,
                 "connect\n  fail\n" + Diag("01S00", 0, "Invalid connection string attribute") +
                     Diag("28000", 18456, "Login failed for user 'twdba'.") +
                     Diag("42000", 4060, "Cannot open database \"TWDB\" requested by the login.") +
                     "end\n" + ResetRules());
  const ProgramRun run = RunOracle();
  EXPECT_EQ(run.exitStatus, 1);
  // No "Connected" and no "Exiting" line: the run ends right there.
  EXPECT_LINES(run.OutLines(), OracleSettings());
  // The driver manager hands the connect records over from its own copy: each with its prefix,
  // ordered by SQLSTATE from the highest.
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='TWDB scripted' user='twdba'",
                "1 [42000](4060) [unixODBC]Cannot open database \"TWDB\" requested by the login.",
                "2 [28000](18456) [unixODBC]Login failed for user 'twdba'.",
                "3 [01S00](0) [unixODBC]Invalid connection string attribute"});
  EXPECT_EQ(JournalOutline(), (std::vector<std::string>{"CONNECT dsn=TWDB scripted user=twdba",
                                                        "CONNECT-RESULT error"}));
}

TEST_F(ConnectionScriptedTest, AConnectAsAUserTheServerDoesNotKnowIsRefused) {
  // The server refuses any other user than the one it knows, with a record of its own.
  AddScriptedDsn(scripted_odbc::kOracleDriver, "connect\n  user \"someone else\"\nend\n");
  const ProgramRun run = RunOracle();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), OracleSettings());
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='TWDB scripted' user='twdba'",
                "1 [28000](18456) [unixODBC]scripted driver: login failed for user 'twdba'"});
  EXPECT_EQ(JournalOutline(), (std::vector<std::string>{"CONNECT dsn=TWDB scripted user=twdba",
                                                        "CONNECT-RESULT error"}));
}

TEST_F(ConnectionScriptedTest, LongConnectRecordsArePrintedAsTheDriverManagerKeepsThem) {
  // The driver manager's own copy of a connect record keeps 512 characters of the message. 512
  // accented characters take 1024 bytes in UTF-8, more than the first message buffer.
  std::string accented;
  for (int i = 0; i < 512; ++i) accented += "\xC3\xA9";
  AddScriptedDsn(scripted_odbc::kOracleDriver,
                 "connect\n  fail\n" + Diag("08001", 1, Repeat('m', 600)) +
                     Diag("08001", 2, accented) + Diag("08001", 3, "last") + "end\n");
  const ProgramRun run = RunOracle();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='TWDB scripted' user='twdba'",
                "1 [08001](1) [unixODBC]" + Repeat('m', 512), "2 [08001](2) [unixODBC]" + accented,
                "3 [08001](3) [unixODBC]last"});
}

TEST_F(ConnectionScriptedTest, ADiagnosticMessageOfThreeThousandCharactersIsPrintedWhole) {
  const std::string longMessage = "long " + Repeat('x', 2990) + " end.";
  AddOracleDsnFailingDelete("  fail\n" + Diag("42S02", 208, "Invalid object name 'TWX_TABLE'.") +
                            Diag("42000", 8180, longMessage) +
                            Diag("01000", 0, "Statement(s) could not be prepared."));
  const ProgramRun run = RunOracle();
  ExpectFailedDelete(run);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: Statement failure(rc=-1).", kDeleteTable, "^^^^^^^^^^", "",
                "1 [42S02](208) Invalid object name 'TWX_TABLE'.", "2 [42000](8180) " + longMessage,
                "3 [01000](0) Statement(s) could not be prepared."});
}

TEST_F(ConnectionScriptedTest, MessagesOf1023And1024CharactersArePrintedWhole) {
  const std::string fits = Repeat('a', 1023);
  const std::string oneMore = Repeat('b', 1024);
  AddOracleDsnFailingDelete("  fail\n" + Diag("42000", 1, fits) + Diag("42000", 2, oneMore) +
                            Diag("42000", 3, "after"));
  const ProgramRun run = RunOracle();
  ExpectFailedDelete(run);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: Statement failure(rc=-1).", kDeleteTable, "^^^^^^^^^^", "",
                "1 [42000](1) " + fits, "2 [42000](2) " + oneMore, "3 [42000](3) after"});
}

TEST_F(ConnectionScriptedTest, ANonAsciiMessageLongerThan1024BytesIsPrintedWholeInUtf8) {
  // 600 characters, 1200 bytes in UTF-8: the character count fits the first buffer, the bytes
  // do not.
  std::string accented;
  for (int i = 0; i < 600; ++i) accented += "\xC3\xA9";
  AddOracleDsnFailingDelete("  fail\n" + Diag("42000", 1, accented) +
                            Diag("42000", 2, "caf\xC3\xA9 after"));
  const ProgramRun run = RunOracle();
  ExpectFailedDelete(run);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Statement failure(rc=-1).", kDeleteTable, "^^^^^^^^^^", "",
                                "1 [42000](1) " + accented, "2 [42000](2) caf\xC3\xA9 after"});
}

TEST_F(ConnectionScriptedTest, AStatementThatSucceedsWithInformationPrintsTheInfoReport) {
  AddOracleDsnFailingDelete("  info\n" +
                            Diag("01000", 5701, "Changed database context to 'TWDB'.") +
                            Diag("01000", 3621, "The statement has been terminated."));
  const ProgramRun run = RunOracle();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({OracleSettings(),
                       {ConnectedLine(), "{TS} - Executing: ", kDeleteTable,
                        "INFO: Statement info(rc=1).", kDeleteTable, "^^^^^^^^^^", "",
                        "1 [01000](5701) Changed database context to 'TWDB'.",
                        "2 [01000](3621) The statement has been terminated.", "{TS} - Done."},
                       Trace(kDeleteIndexColumn),
                       Trace(kDeleteSchemaHash),
                       {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
}

TEST_F(ConnectionScriptedTest, Utf8DsnAndUserNameReachTheDriver) {
  const std::string dsn = "caf\xC3\xA9";
  const std::string user = "ren\xC3\xA9";
  // The driver manager looks a data source up by the low byte of each UTF-16 unit (Latin-1
  // "caf\xE9"); the driver reads its own entries under the UTF-8 name it receives.
  odbcIni().AddDsn("caf\xE9", scripted_odbc::kOracleDriver, {});
  AddScriptedDsn(scripted_odbc::kOracleDriver, ResetRules(), dsn);
  const ProgramRun run =
      RunSchemalift({"-t", "oracle", "-d", B64(dsn), "-u", B64(user), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({SettingsLines("oracle", user, dsn, "655"),
                       {"Connected to database. DSN='" + dsn + "' user='" + user + "'"},
                       ResetTrace(),
                       {"Exiting. Status=0"}}));
  const std::vector<std::string> outline = JournalOutline();
  ASSERT_FALSE(outline.empty());
  EXPECT_EQ(outline[0], "CONNECT dsn=" + dsn + " user=" + user);
}

TEST_F(ConnectionScriptedTest, AnIncompleteUtf8SequenceAtTheEndReachesTheDriverAsQuestionMark) {
  const std::string dsn = "caf\xE9";  // a lead byte with nothing after it
  AddScriptedDsn(scripted_odbc::kOracleDriver, ResetRules(), "caf?");
  const ProgramRun run = RunSchemalift({"-t", "oracle", "-d", B64(dsn), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  // The printed DSN shows the bytes as given.
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("oracle", "tw", dsn, "655"),
                                       {"Connected to database. DSN='" + dsn + "' user='tw'"},
                                       ResetTrace(),
                                       {"Exiting. Status=0"}}));
  const std::vector<std::string> outline = JournalOutline();
  ASSERT_FALSE(outline.empty());
  EXPECT_EQ(outline[0], "CONNECT dsn=caf? user=tw");
}

TEST_F(ConnectionScriptedTest, Utf8TextReadFromTheServerGoesBackWholeInStatementText) {
  // The SQL Server database name is read from the server and sent back inside the ALTER DATABASE
  // statements of the recovery model switch.
  const std::string name = "caf\xC3\xA9";
  const std::string toSimple = "alter database [" + name + "] set recovery simple";
  const std::string toFull = "alter database [" + name + "] set recovery FULL";
  AddScriptedDsn(scripted_odbc::kSqlServerDriver,
                 Rule("exact", kDatabaseNameQuery, TextRows("name", {name})) +
                     Rule("exact", kAlterPermissionQuery, IntRows({1})) +
                     Rule("exact", kRecoveryModelQuery, TextRows("mode", {"FULL"})) +
                     Rule("exact", toSimple) + Rule("exact", toFull) + ResetRules());
  const ProgramRun run = RunScripted("mssql", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(
      ExecutedStatements(),
      (std::vector<std::string>{kDatabaseNameQuery, kAlterPermissionQuery, kRecoveryModelQuery,
                                toSimple, kDeleteTable, kDeleteIndexColumn, kDeleteSchemaHash,
                                kAlterPermissionQuery, toFull}));
  EXPECT_LINES(
      LinesBetween(run.OutLines(), "Original recovery mode is FULL", "Executed query: " + toSimple),
      Concat(
          {{"Original recovery mode is FULL"}, Trace(toSimple), {"Executed query: " + toSimple}}));
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
