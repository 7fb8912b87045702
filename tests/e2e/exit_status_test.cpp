// The exit-status contract: one run for every way a run can end, with its status and its last
// lines. Only a completed upgrade and a completed validation (whatever it found) end with 0; every
// failure ends with 1, or with the stopping signal before the connection exists.
//
// One way is not reachable from the command line: RunUpgrade refuses a source version outside 550
// to 659 with 1, but the option check has refused such a version before (see
// AnOutOfRangeSourceVersionIsRefusedByTheOptionCheck).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "e2e/validation_e2e.h"
#include "support/output_match.h"
#ifdef SCRIPTED_DRIVER_LIBRARY
#include "e2e/scripted_e2e.h"
#endif

namespace {

using Lines = std::vector<std::string>;
using upgrade_e2e::Concat;

constexpr const char* kSchemaHashTables =
    "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
    "CREATE TABLE TWX_SCHEMA_HASH (x int);";
constexpr const char* kPrompt = "The twxd service will be stopped. Continue? [y/N]:";

/// The last `count` lines, or all of them when there are fewer.
Lines LastLines(const Lines& lines, std::size_t count) {
  return Lines(lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())),
               lines.end());
}

/// The row's contract: the status, the last lines of standard output and the whole of standard
/// error.
void ExpectEnd(const ProgramRun& run, int status, const Lines& lastOut, const Lines& err) {
  EXPECT_EQ(run.exitStatus, status) << run.err;
  EXPECT_LINES(LastLines(run.OutLines(), lastOut.size()), lastOut);
  EXPECT_LINES(run.ErrLines(), err);
}

Lines UsageAfter(const Lines& before) {
  return Concat({before, UsageLines()});
}

// --- Before the connection ---------------------------------------------------------------------

class ExitStatusTest : public upgrade_e2e::UpgradeTest {
 protected:
  /// The test's database with the fixture's base schema, the fixture scripts and liftaide.
  void PrepareUpgrade() {
    std::ifstream schema(upgrade_e2e::FixtureFolder() / "postgresql" / "base_schema.sql");
    UsePostgres().Execute(std::string(std::istreambuf_iterator<char>(schema), {}));
    InstallScripts("postgresql/scripts");
    InstallLiftaide();
  }

  ProgramRun RunWith(const Lines& extra) {
    Lines arguments = ConnectArguments();
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunSchemalift(arguments);
  }

  std::string LaunchLine(int baseVersion) {
    return upgrade_e2e::MaskedLaunchLine(baseVersion, kTestDsn, Testbed::Get().appUser);
  }
};

TEST_F(ExitStatusTest, AnOptionErrorEndsWithOne) {
  const ProgramRun run = RunSchemalift({"-t", "MSSQL", "-y", "-b", "600"});
  ExpectEnd(run, 1, UsageAfter({"Parsing command line arguments..."}),
            {"ERROR: Invalid DB type: 'MSSQL'"});
}

TEST_F(ExitStatusTest, AnOutOfRangeSourceVersionIsRefusedByTheOptionCheck) {
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-y", "-b", "660"});
  ExpectEnd(run, 1, UsageAfter({"Parsing command line arguments..."}),
            {"ERROR: Incorrect Database Version: 660"});
}

TEST_F(ExitStatusTest, AFailingSettingsDiscoveryEndsAtTheOuterLevelWithOne) {
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-y", "-b", "600"});
  ExpectEnd(run, 1, {"Parsing command line arguments...", "Command line arguments parsed."},
            {"ERROR: An application exception occured: Error occured while reading settings "
             "from registry key SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB"});
}

TEST_F(ExitStatusTest, AnUnrecognisedDriverEndsWithOne) {
  odbcIni().AddDsn("TWDB other", "Other Driver", {});
  const ProgramRun run = RunSchemalift({"-d", B64("TWDB other"), "-y", "-b", "600"});
  ExpectEnd(run, 1,
            UsageAfter({"Parsing command line arguments...", "Command line arguments parsed.",
                        "Driver from DSN: 'other driver'"}),
            {"ERROR: Invalid DB type in configuration: ''"});
}

TEST_F(ExitStatusTest, ARefusedConfirmationEndsWithOne) {
  const ProgramRun run =
      RunSchemalift({"-t", "postgresql", "-d", B64(kTestDsn), "-b", "655"}, "n\n");
  ExpectEnd(run, 1, {"twxd base version : '655'", std::string(kPrompt) + "Aborting..."}, {});
}

TEST_F(ExitStatusTest, AFailedConnectionEndsWithOne) {
  const ProgramRun run =
      RunSchemalift({"-t", "postgresql", "-d", B64("No Such Source"), "-y", "-b", "600"});
  ExpectEnd(run, 1, {"twxd base version : '600'"},
            {"Cannot connect to database. DSN='No Such Source' user='tw'",
             "1 [IM002](0) [unixODBC][Driver Manager]Data source name not found and no default "
             "driver specified"});
}

TEST_F(ExitStatusTest, AStopBeforeTheConnectionExistsEndsTheProcessByTheSignal) {
  // A server that takes the connection but never answers keeps the connection attempt waiting.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  odbcIni().AddDriver("PostgreSQL Unicode", Testbed::Get().postgresDriver);
  odbcIni().AddDsn("TWDB mute", "PostgreSQL Unicode",
                   {{"Servername", "127.0.0.1"},
                    {"Port", std::to_string(ntohs(address.sin_port))},
                    {"Database", "twdb"}});
  WriteOdbcIni();
  RunningProgram program(
      SCHEMALIFT_BINARY,
      {"schemalift", "-t", "postgresql", "-d", B64("TWDB mute"), "-y", "-b", "600"}, runOptions());
  ASSERT_TRUE(program.WaitForOutput("twxd base version : '600'", std::chrono::seconds(60)));
  EXPECT_FALSE(program.WaitForOutput("Exiting. Status=", std::chrono::seconds(1)));
  program.Signal(SIGTERM);
  const ProgramRun run = program.Wait();
  close(listener);
  ExpectEnd(run, 128 + SIGTERM, {"twxd base version : '600'"}, {});
}

// --- On the connection -------------------------------------------------------------------------

TEST_F(ExitStatusTest, AMissingVersionOptionEndsWithOne) {
  UsePostgres();
  const ProgramRun run = RunWith({});
  ExpectEnd(
      run, 1,
      UsageAfter({"Connected to database. DSN='TWDB test' user='" + Testbed::Get().appUser + "'"}),
      {"ERROR: Version option is mandatory!"});
}

TEST_F(ExitStatusTest, ACompletedUpgradeEndsWithZero) {
  PrepareUpgrade();
  const ProgramRun run = RunWith({"-b", "600"});
  ExpectEnd(run, 0, Concat({upgrade_e2e::ResetLines(), {"Exiting. Status=0"}}), {});
}

TEST_F(ExitStatusTest, ACompletedBuildToBuildUpgradeEndsWithZero) {
  UsePostgres().Execute(kSchemaHashTables);
  const ProgramRun run = RunWith({"-b", "655", "-s", "B1"});
  ExpectEnd(run, 0,
            Concat({{"Patch version: ''", "Count of ORM objects: '0'"},
                    upgrade_e2e::ResetLines(),
                    {"Exiting. Status=0"}}),
            {});
}

TEST_F(ExitStatusTest, AFailingBlockStatementIsReportedAndTheRunStillEndsWithZero) {
  PrepareUpgrade();
  InstallScripts("postgresql/failing_block");
  const ProgramRun run = RunWith({"-b", "650"});
  // Step 650 of the overlay is the plain one: the failing statement is in step 600's script.
  ExpectEnd(run, 0, Concat({upgrade_e2e::ResetLines(), {"Exiting. Status=0"}}), {});
  const ProgramRun fromSixHundred = RunWith({"-b", "600"});
  EXPECT_EQ(fromSixHundred.exitStatus, 0) << fromSixHundred.err;
  const Lines err = fromSixHundred.ErrLines();
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(
      err[0],
      "Error while executing .\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql:9, "
      "reason: Statement failure(rc=-1).");
  EXPECT_LINES(LastLines(fromSixHundred.OutLines(), 1), {"Exiting. Status=0"});
}

TEST_F(ExitStatusTest, AFailingStatementOfTheRunEndsAtTheInnerLevelWithOne) {
  UsePostgres();  // no TWX_TABLE: the schema-hash reset fails
  const ProgramRun run = RunWith({"-b", "655"});
  ExpectEnd(run, 1, {"{TS} - Executing: ", "DELETE FROM TWX_TABLE", "Exiting. Status=1"},
            {"ERROR: Statement failure(rc=-1).", "DELETE FROM TWX_TABLE", "^^^^^^^^^^", "",
             "1 [42P01](1) ERROR: relation \"twx_table\" does not exist;",
             "Error while executing the query"});
}

TEST_F(ExitStatusTest, AMissingScriptFileEndsWithOne) {
  PrepareUpgrade();
  std::filesystem::remove(workDir() /
                          "Upgrade-v2016-to-v2017/postgresql/TWDB_views_PostgreSQL.sql");
  const ProgramRun run = RunWith({"-b", "650"});
  ExpectEnd(run, 1,
            {"scriptFile : '.\\Upgrade-v2016-to-v2017\\postgresql\\TWDB_views_PostgreSQL.sql'",
             "Exiting. Status=1"},
            {"ERROR: Cannot open command script file "
             "'.\\Upgrade-v2016-to-v2017\\postgresql\\TWDB_views_PostgreSQL.sql'."});
}

TEST_F(ExitStatusTest, ALiftaideThatFailsEndsWithOne) {
  PrepareUpgrade();
  runOptions().environment["LIFTAIDE_EXIT"] = "3";
  const ProgramRun run = RunWith({"-b", "650"});
  ExpectEnd(run, 1, Concat({{LaunchLine(650)}, upgrade_e2e::ResetLines(), {"Exiting. Status=1"}}),
            {"ERROR: liftaide failed: 3"});
}

TEST_F(ExitStatusTest, ALiftaideEndedByASignalEndsWithOne) {
  PrepareUpgrade();
  runOptions().environment["LIFTAIDE_SIGNAL"] = "15";
  const ProgramRun run = RunWith({"-b", "650"});
  ExpectEnd(run, 1, Concat({{LaunchLine(650)}, upgrade_e2e::ResetLines(), {"Exiting. Status=1"}}),
            {"ERROR: liftaide failed: 143"});
}

TEST_F(ExitStatusTest, ALiftaideThatCannotBeStartedEndsWithOne) {
  PrepareUpgrade();
  std::filesystem::remove(workDir() / "liftaide");
  const ProgramRun run = RunWith({"-b", "650"});
  ExpectEnd(run, 1, Concat({{LaunchLine(650)}, upgrade_e2e::ResetLines(), {"Exiting. Status=1"}}),
            {"ERROR: liftaide failed: -1"});
}

TEST_F(ExitStatusTest, AStopDuringTheRunEndsAtTheNextStatementBoundaryWithOne) {
  UsePostgres();
  temp().WriteFile("work/Upgrade-v2016-to-v2017/postgresql/upgrade_PostgreSQL.sql",
                   "SELECT pg_sleep(60)\n/\n");
  WriteOdbcIni();
  Lines argv = {"schemalift"};
  const Lines arguments = ConnectArguments();
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.insert(argv.end(), {"-b", "650"});
  RunningProgram program(SCHEMALIFT_BINARY, argv, runOptions());
  ASSERT_TRUE(program.WaitForOutput("SELECT pg_sleep(60)", std::chrono::seconds(60)));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  program.Signal(SIGINT);
  const ProgramRun run = program.Wait();
  const Lines cancelled = {"SELECT pg_sleep(60)", "^^^^^^^^^^", "",
                           "1 [57014](1) ERROR: canceling statement due to user request;",
                           "Error while executing the query"};
  ExpectEnd(run, 1, {"SELECT pg_sleep(60)", "Exiting. Status=1"},
            Concat({{"Error while executing "
                     ".\\Upgrade-v2016-to-v2017\\postgresql\\upgrade_PostgreSQL.sql:2, "
                     "reason: Statement failure(rc=-1)."},
                    cancelled,
                    {"ERROR: Statement failure(rc=-1)."},
                    cancelled,
                    {"ERROR: The run was interrupted by SIGINT."}}));
}

// --- Validation --------------------------------------------------------------------------------

using ValidationExitStatusTest = validation_e2e::ValidationTest;

TEST_F(ValidationExitStatusTest, ACompletedValidationWithFindingsEndsWithZero) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"Table TWX_A misses index IX_1"});
  UsePostgres().Execute("INSERT INTO TWX_HOST VALUES ('5.5.0', '10.0.0.5')");
  const ProgramRun run = RunValidation();
  // Findings in the warnings file and on the console, "ERROR: " headers included, and still 0.
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "Table TWX_A misses index IX_1\n");
  ExpectEnd(run, 0, {"Exiting. Status=0"},
            {"WARNING: pylon-version -> 5.5.0 host IP: 10.0.0.5",
             "ERROR: wrong-host-version-count -> 1"});
}

TEST_F(ValidationExitStatusTest, AValidationThatLosesTheWarningsFileEndsWithOne) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"found"});
  const ProgramRun run = RunValidation("/dev/full");
  ExpectEnd(run, 1, {"Exiting. Status=1"},
            {"ERROR: Cannot write the warnings output file '/dev/full'. Reason: No space left on "
             "device"});
}

TEST_F(ValidationExitStatusTest, AFailureThatEscapesAValidationStageEndsWithOne) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  const ProgramRun run = RunValidation("warnings.txt", "560");
  ExpectEnd(
      run, 1,
      {"Validating source version, inventory, db schema and permissions...", "Exiting. Status=1"},
      {"ERROR: GetScriptFolder() Invalid base version."});
}

// --- SQL Server through the scripted driver ----------------------------------------------------

#ifdef SCRIPTED_DRIVER_LIBRARY

using scripted_e2e::kAlterPermissionQuery;
using scripted_e2e::kDatabaseNameQuery;
using scripted_e2e::kRecoveryModelQuery;
using scripted_e2e::Rule;

class ScriptedExitStatusTest : public scripted_e2e::ScriptedE2eTest {};

TEST_F(ScriptedExitStatusTest, AFailingRestoreOfTheRecoveryModelEndsWithOne) {
  const std::string toFull = "alter database [TWDB] set recovery FULL";
  AddScriptedDsn(
      scripted_odbc::kSqlServerDriver,
      Rule("exact", kDatabaseNameQuery, scripted_e2e::TextRows("name", {"TWDB"})) +
          Rule("exact", kAlterPermissionQuery, scripted_e2e::IntRows({1})) +
          Rule("exact", kRecoveryModelQuery, scripted_e2e::TextRows("mode", {"FULL"})) +
          Rule("exact", "alter database [TWDB] set recovery simple", "  ok\n") +
          Rule("exact", toFull,
               scripted_e2e::Failure("42000", 5069, "ALTER DATABASE statement failed.")) +
          scripted_e2e::ResetRules());
  const ProgramRun run = RunScripted("mssql", {"-b", "655"});
  ExpectEnd(run, 1, {"{TS} - Executing: ", toFull, "Exiting. Status=1"},
            scripted_e2e::Report("ERROR: Statement failure(rc=-1).", toFull,
                                 "1 [42000](5069) ALTER DATABASE statement failed."));
}

#endif  // SCRIPTED_DRIVER_LIBRARY

}  // namespace
