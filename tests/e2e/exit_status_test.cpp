// How a run ends: its exit status, the end of its standard output and the whole of its standard
// error, one row for each way. The rows of the README's table of exit statuses are here, except a
// completed upgrade, build-to-build upgrade or validation and a warnings file that cannot be
// written (demo_test.cpp), a stop after connecting (interrupt_test.cpp), restoring the SQL Server
// recovery model (unit tests), and two that no end-to-end test pins: a stop before the connection
// exists, and a failure escaping a validation stage.
#include "driver/usage.h"
#include "e2e/e2e_fixture.h"
#include "support/console_capture.h"

namespace {

/// What a row's run starts from: the arguments alone, or after ConnectArguments(); kScripts adds
/// UsePlainScripts().
enum Setup { kBare, kConnected, kScripts };

struct Row {
  std::string name;
  Setup setup;
  Lines arguments;
  int status;
  Lines lastOut, err;  // the last lines of standard output, all of standard error
  std::vector<std::pair<std::string, std::string>> files = {};  // written; an empty text removes
  std::string query = "";  // on the database after the run, and the rows that it must find
  Lines rows = {};
};

/// The usage text after the line that comes before it.
Lines Usage(const std::string& before) {
  return Concat({{before}, SplitLines(Captured(PrintUsage).out)});
}

/// A statement's report: the statement, a marker line, an empty line and the diagnostic records.
Lines Report(const std::string& statement, const Lines& records) {
  return Concat({{statement, "^^^^^^^^^^", ""}, records});
}

// clang-format off
const std::string k600 = "Upgrade-v2015-to-v2016/postgresql/", kBlock = "upgrade_PostgreSQL.sql",
    k650 = "Upgrade-v2016-to-v2017/postgresql/", kViews = "TWDB_views_PostgreSQL.sql",
    kIn600 = ".\\Upgrade-v2015-to-v2016\\postgresql\\", kSettings = "twxd base version : '650'",
    kIn650 = ".\\Upgrade-v2016-to-v2017\\postgresql\\",
    kFail = ", reason: Statement failure(rc=-1).", kCannot = "Cannot connect to database. DSN='",
    kHolds = ", reason: Statement refused: it holds ",
    kTable = "CREATE TABLE t AS SELECT 1 AS id\n/\nBEGIN\n/\nDELETE FROM t\n/\n",
    kTerminate = "SELECT pg_terminate_backend(pg_backend_pid())";
const Lines kFrom650 = {"-b", "650"}, kEnd0 = {"Exiting. Status=0"},
    kReset1 = {"DELETE FROM TWX_SCHEMA_HASH", "{TS} - Done.", "Exiting. Status=1"},
    kByZero = {"1 [22012](1) ERROR: division by zero;", "Error while executing the query"},
    kLost = {"1 [57P01](35) FATAL: terminating connection due to administrator command;",
             "The connection has been lost"};

const Row kRows[] = {
  // Option errors (each one's report is pinned by the unit tests): the usage text follows.
  {"UnknownOption", kBare, {"-x"}, 1, Usage("Parsing command line arguments..."),
   {"schemalift: unrecognized option 'x'", "ERROR: Invalid parameter."}},
  {"VersionMissing", kConnected, {}, 1, Usage("Connected to database. DSN='TWDB test' user='tw'"),
   {"ERROR: Version option is mandatory!"}},
  // Before the connection, and the connection.
  {"SettingsDiscoveryFails", kBare, {"-t", "postgresql", "-y", "-b", "600"}, 1,
   {"Command line arguments parsed."}, {"ERROR: An application exception occured: Error occured "
    "while reading settings from registry key SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB"}},
  {"DriverGivesNoKind", kBare, {"-d", B64("TWDB other"), "-y", "-b", "600"}, 1,
   Usage("Driver from DSN: 'other driver'"), {"ERROR: Invalid DB type in configuration: ''"}},
  {"ConfirmationRefused", kBare, {"-t", "postgresql", "-d", B64(kTestDsn), "-b", "655"}, 1,
   {"The twxd service will be stopped. Continue? [y/N]:Aborting..."}, {}},
  {"UnknownDsn", kBare, {"-t", "postgresql", "-d", B64("Unknown"), "-y", "-b", "650"}, 1,
   {kSettings}, {kCannot + "Unknown' user='tw'", "1 [IM002](0) [unixODBC][Driver Manager]"
    "Data source name not found and no default driver specified"}},
  {"ServerDown", kConnected, {"-d", B64("TWDB down"), "-b", "650"}, 1, {kSettings},
   {kCannot + "TWDB down' user='tw'", "1 [08001](101) [unixODBC]connection to server at "
    "\"127.0.0.2\", port " + Pg("PORT") + " failed: Connection refused",
    "\tIs the server running on that host and accepting TCP/IP connections?", ""}},
  // Scripts and liftaide.
  {"ScriptFileMissing", kScripts, kFrom650, 1, {"scriptFile : '" + kIn650 + kViews + "'",
   "Exiting. Status=1"}, {"ERROR: Cannot open command script file '" + kIn650 + kViews + "'."},
   {{k650 + kViews, ""}}},
  {"LiftaideFails", kScripts, kFrom650, 1, kReset1, {"ERROR: liftaide failed: 3"},
   {{"liftaide", "#!/bin/sh\nexit 3\n"}}},
  {"LiftaideKilled", kScripts, kFrom650, 1, kReset1, {"ERROR: liftaide failed: 137"},
   {{"liftaide", "#!/bin/sh\nkill -9 $$\n"}}},
  {"LiftaideMissing", kScripts, kFrom650, 1, kReset1, {"ERROR: liftaide failed: -1"},
   {{"liftaide", ""}}},
  // A statement of a command file that fails ends the run (here the server ends the connection).
  // One of a block file that fails, or that the database would receive as another text (cut at a
  // NUL byte, or bytes that are not UTF-8), is reported and the run goes on with the next file. A
  // transaction that a block file leaves open ends with it: rolled back, with a report, when the
  // file failed (the run then ends with 1: work it showed as done is undone), committed otherwise.
  {"CommandStatementFails", kScripts, kFrom650, 1, {kTerminate, "Exiting. Status=1"},
   Concat({{"Error while executing " + kIn650 + kViews + ":1" + kFail}, Report(kTerminate,
    kLost), {"ERROR: Statement failure(rc=-1)."}, Report(kTerminate, kLost)}),
   {{k650 + kViews, kTerminate + ";\n"}}},
  {"BlockStatementsFailOrAreRefused", kScripts, {"-b", "600"}, 0, kEnd0,
   Concat({{"Error while executing " + kIn600 + kBlock + ":2" + kFail},
    Report("SELECT 1/0", kByZero), {"Error while executing " + kIn600 + "orm_PostgreSQL.sql:2" +
    kHolds + "a NUL byte at offset 8, and the database would receive only the text before it.",
    "Error while executing " + kIn650 + kBlock + ":2" + kHolds + "a byte that is not UTF-8 at "
    "offset 8, and the database would receive another text."}}),
   {{k600 + kBlock, "SELECT 1/0\n/\n"}, {k650 + kBlock, "SELECT '\x92'\n/\n"},
    {k600 + "orm_PostgreSQL.sql", std::string("SELECT 1\0/0\n/\n", 13)}}},
  {"TransactionRolledBack", kScripts, kFrom650, 1, kReset1,
   Concat({{"Error while executing " + kIn650 + kBlock + ":8" + kFail}, Report("SELECT 1/0",
    kByZero), {"ERROR: The transaction left open by " + kIn650 + kBlock + " was rolled back: the "
    "statements that ran in it are undone."}}),
   {{k650 + kBlock, kTable + "SELECT 1/0\n/\n"}}, "TABLE t", {"1"}},
  {"TransactionCommitted", kScripts, kFrom650, 0, kEnd0, {}, {{k650 + kBlock, kTable}},
   "TABLE t", {}},
};
// clang-format on

class RunEndTest : public E2eTest, public ::testing::WithParamInterface<Row> {};

TEST_P(RunEndTest, EndsWithItsStatusAndLastLines) {
  const Row& row = GetParam();
  if (row.setup == kScripts) UsePlainScripts();
  // A data source whose driver names no kind, and one where nothing listens (the test bed's
  // server listens on 127.0.0.1 only).
  odbcIni += "[TWDB other]\nDriver=Other Driver\n" + PostgresDsn("TWDB down", "x", "127.0.0.2");
  for (const auto& [file, text] : row.files) {
    if (text.empty()) std::filesystem::remove(workDir() / file);
    if (!text.empty()) std::ofstream(workDir() / file) << text;
  }
  const ProgramRun run = RunSchemalift(
      row.setup == kBare ? row.arguments : Concat({ConnectArguments(), row.arguments}));
  EXPECT_EQ(run.exitStatus, row.status);
  // "{TS}" stands for a timestamp.
  EXPECT_EQ(MaskTimestamps(LastLines(run.OutLines(), row.lastOut.size())), row.lastOut);
  EXPECT_EQ(MaskTimestamps(run.ErrLines()), row.err);
  EXPECT_EQ(row.query.empty() ? row.rows : Query(row.query), row.rows);
}

INSTANTIATE_TEST_SUITE_P(Rows, RunEndTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

// Long diagnostic messages are printed whole, one record each: a notice, and the failures of a
// statement of a block file and of a command file (reported there and where the run ends). The
// driver keeps at most 4095 bytes of an error message, cut before a character that it would
// split, and hands out no record for a notice longer than 32767 bytes.
TEST_F(RunEndTest, LongDiagnosticsArePrintedWhole) {
  UsePlainScripts();
  for (const std::string letter : {"a", "\xC3\xA9"}) {
    for (const std::size_t bytes : {1000u, 5000u, 40000u}) {
      std::string text;
      while (text.size() < bytes) text += letter;
      std::ofstream(workDir() / k650 / kBlock) << "DO $$BEGIN RAISE NOTICE '" << text
                                               << "'; END$$\n/\nSELECT '" << text << "'::int\n/\n";
      std::ofstream(workDir() / k650 / kViews) << "SELECT '" << text << "'::int;\n";
      const ProgramRun run = Run(kFrom650);
      const std::string error =
          "1 [22P02](1) ERROR: invalid input syntax for type integer: \"" + text + "\";";
      std::size_t end = std::min<std::size_t>(error.size(), 13 + 4095);
      while ((static_cast<unsigned char>(error[end]) & 0xC0) == 0x80) --end;
      EXPECT_EQ(std::ranges::count(run.OutLines(), "1 [00000](-1) NOTICE: " + text), bytes < 32760);
      EXPECT_EQ(std::ranges::count(run.ErrLines(), error.substr(0, end)), 3);
    }
  }
}

}  // namespace
