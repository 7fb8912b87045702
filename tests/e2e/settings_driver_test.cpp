// How a run without -t tells the kind of database from the ODBC driver of its data source, and
// that a run given -t (and -d) reads no settings at all.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include <cctype>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

/// A data source that a run could reach but that settings discovery must never be asked about:
/// its driver's name stands for no kind of database.
constexpr const char* kPlainDriver = "Plain Driver";

/// What the scripted server answers: a SQL Server without the ALTER permission, and the reset.
std::string ServerFixture() {
  return Rule("exact", kDatabaseNameQuery, TextRows("name", {"TWDB"})) +
         Rule("exact", kAlterPermissionQuery, IntRows({0})) + ResetRules();
}

std::vector<std::string> ResetStatements() {
  return {kDeleteTable, kDeleteIndexColumn, kDeleteSchemaHash};
}

class SettingsDriverTest : public ScriptedE2eTest {
 protected:
  /// Standard output of an upgrade from 655 on kScriptedDsn.
  static std::vector<std::string> UpgradeLines(const std::string& dbType, const std::string& user,
                                               const std::optional<std::string>& driverLine) {
    return Concat(
        {SettingsLines(dbType, user, kScriptedDsn, "655", driverLine),
         {"Connected to database. DSN='" + std::string(kScriptedDsn) + "' user='" + user + "'"},
         ResetTrace(),
         {"Exiting. Status=0"}});
  }

  /// Makes the configuration file and the settings file unreadable: each is a folder.
  void MakeSettingsUnreadable() {
    std::filesystem::create_directories(temp().path() / "cfg" / "halvik-twx" / "twxd.cfg");
    std::filesystem::create_directories(temp().path() / "registry.ini");
  }
};

struct KnownDriver {
  std::string driver;
  std::string lowerCased;
  std::string dbType;  ///< display name
  bool sqlServer;
};

void PrintTo(const KnownDriver& known, std::ostream* out) {
  *out << known.driver;
}

class KnownDriverTest : public SettingsDriverTest,
                        public ::testing::WithParamInterface<KnownDriver> {};

TEST_P(KnownDriverTest, TheDriverNameGivesTheKindAndTheRunGoesOn) {
  const KnownDriver& known = GetParam();
  AddScriptedDsn(known.driver, ServerFixture());
  const ProgramRun run = RunScripted("", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines(known.dbType, kScriptedUser, known.lowerCased));
  EXPECT_EQ(run.err, "");
  // Only SQL Server gets the recovery model statements.
  EXPECT_EQ(ExecutedStatements(), known.sqlServer
                                      ? Concat({{kDatabaseNameQuery, kAlterPermissionQuery},
                                                ResetStatements(),
                                                {kAlterPermissionQuery}})
                                      : ResetStatements());
  ExpectEveryStatementFreed();
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, KnownDriverTest,
    ::testing::Values(KnownDriver{"SQL Server", "sql server", "mssql", true},
                      KnownDriver{"SQL Server Native Client 11.0", "sql server native client 11.0",
                                  "mssql", true},
                      KnownDriver{"MSSQL-ODBC", "mssql-odbc", "mssql", true},
                      KnownDriver{"SQL Native Client", "sql native client", "mssql", true},
                      KnownDriver{"Oracle in OraClient11g_home1", "oracle in oraclient11g_home1",
                                  "oracle", false},
                      KnownDriver{"Devart ORACLE Direct", "devart oracle direct", "oracle", false},
                      // "postgre" is looked for before anything else.
                      KnownDriver{"SQL Server to PostgreSQL Bridge",
                                  "sql server to postgresql bridge", "PostgreSQL", false},
                      KnownDriver{"Oracle PostgreSQL Gateway", "oracle postgresql gateway",
                                  "PostgreSQL", false}));

class UnknownDriverTest : public SettingsDriverTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(UnknownDriverTest, ADriverOfNoKnownKindEndsTheRunWithTheUsageText) {
  AddScriptedDsn(GetParam(), ServerFixture());
  const ProgramRun run = RunScripted("", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  std::string lowerCased = GetParam();
  for (char& c : lowerCased) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_LINES(run.OutLines(),
               Concat({{"Parsing command line arguments...", "Command line arguments parsed.",
                        "Driver from DSN: '" + lowerCased + "'"},
                       UsageLines()}));
  EXPECT_LINES(run.ErrLines(), {"ERROR: Invalid DB type in configuration: ''"});
  EXPECT_FALSE(JournalExists()) << "a connection was attempted";
}

INSTANTIATE_TEST_SUITE_P(Drivers, UnknownDriverTest,
                         ::testing::Values("ODBC Driver 13 for SQL Server", "Microsoft SQL Server",
                                           kPlainDriver));

TEST_F(SettingsDriverTest, APostgresqlDriverIsDetectedAndTheRunConnects) {
  UsePostgres().Execute(
      "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
      "CREATE TABLE TWX_SCHEMA_HASH (x int); INSERT INTO TWX_TABLE VALUES (1);");
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run = RunSchemalift({"-d", B64(kTestDsn), "-u", B64(testbed.appUser), "-p",
                                        B64(testbed.appPassword), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(
      run.OutLines(),
      Concat({SettingsLines("PostgreSQL", testbed.appUser, kTestDsn, "655", "postgresql unicode"),
              {"Connected to database. DSN='" + std::string(kTestDsn) + "' user='" +
               testbed.appUser + "'"},
              ResetTrace(),
              {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
}

TEST_F(SettingsDriverTest, ADb2DriverConnectsAndTheUpgradeStepRejectsTheKind) {
  AddScriptedDsn("IBM DB2 ODBC DRIVER", ServerFixture());
  const ProgramRun run = RunScripted("", {"-b", "600"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(
      run.OutLines(),
      Concat({SettingsLines("db2", kScriptedUser, kScriptedDsn, "600", "ibm db2 odbc driver"),
              {"Connected to database. DSN='TWDB scripted' user='twdba'", "Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(), {"ERROR: GetScriptFolder() Invalid DB type."});
  // Nothing reached the database: no recovery model statement, no script, no reset.
  EXPECT_EQ(ExecutedStatements(), std::vector<std::string>{});
  ExpectEveryStatementFreed();
}

TEST_F(SettingsDriverTest, ADb2DriverWithoutApplicableStepOnlyResetsTheSchemaHash) {
  AddScriptedDsn("IBM DB2 ODBC DRIVER", ServerFixture());
  const ProgramRun run = RunScripted("", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("db2", kScriptedUser, "ibm db2 odbc driver"));
  EXPECT_EQ(ExecutedStatements(), ResetStatements());
}

TEST_F(SettingsDriverTest, WithTheKindGivenTheDriverIsNotLookedUp) {
  // The configuration file names the data source; its driver would give no kind.
  AddScriptedDsn(kPlainDriver, ResetRules());
  temp().WriteFile("cfg/halvik-twx/twxd.cfg", "<dsn>TWDB scripted</dsn>");
  const ProgramRun run = RunSchemalift({"-t", "oracle", "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("oracle", "tw", std::nullopt));
  EXPECT_EQ(run.err, "");
}

TEST_F(SettingsDriverTest, WithDsnAndKindGivenNoSettingIsRead) {
  AddScriptedDsn(kPlainDriver, ResetRules());
  MakeSettingsUnreadable();
  const ProgramRun run = RunScripted("oracle", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("oracle", kScriptedUser, std::nullopt));
  EXPECT_EQ(run.err, "");
}

TEST_F(SettingsDriverTest, WithTheDsnGivenOnlyTheDataSourceListIsRead) {
  AddScriptedDsn("SQL Server Native Client 11.0", ServerFixture());
  MakeSettingsUnreadable();
  const ProgramRun run = RunScripted("", {"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               UpgradeLines("mssql", kScriptedUser, "sql server native client 11.0"));
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
