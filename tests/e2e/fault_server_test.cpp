// The database server goes away: its backend is terminated in the middle of an upgrade, or nothing
// listens where the data source points. Each run ends with its report on standard error and
// status 1, without hanging and without launching liftaide.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "support/output_match.h"

namespace upgrade_e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kStepFolder = "work/Upgrade-v2016-to-v2017/postgresql/";
constexpr const char* kPrintedFolder = ".\\Upgrade-v2016-to-v2017\\postgresql\\";

/// Runs one statement as the test bed's superuser over the socket; returns the unaligned rows.
Lines RunAsAdmin(const std::string& sql) {
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run =
      RunProgram("/usr/bin/psql",
                 {"psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", testbed.socketDir,
                  "-p", testbed.port, "-U", testbed.adminUser, "-d", "postgres", "-c", sql});
  EXPECT_EQ(run.exitStatus, 0) << sql << "\n" << run.err;
  return run.OutLines();
}

/// A TCP port on 127.0.0.1 where nothing listens: one the system hands out, closed again.
std::string UnusedLoopbackPort() {
  const int socketHandle = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_GE(socketHandle, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  EXPECT_EQ(bind(socketHandle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  EXPECT_EQ(getsockname(socketHandle, reinterpret_cast<sockaddr*>(&address), &length), 0);
  close(socketHandle);
  return std::to_string(ntohs(address.sin_port));
}

/// Everything after the first line equal to `line`, that line excluded.
Lines LinesAfter(const Lines& lines, const std::string& line) {
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? Lines{} : Lines(found + 1, lines.end());
}

class ServerFaultTest : public UpgradeTest {
 protected:
  std::vector<std::string> UpgradeArgv(const std::string& version) {
    std::vector<std::string> argv = {"schemalift"};
    const std::vector<std::string> arguments = ConnectArguments();
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.insert(argv.end(), {"-b", version});
    return argv;
  }
};

TEST_F(ServerFaultTest, ABackendTerminatedDuringAStatementEndsTheRunAtTheNextCommandScript) {
  TestDatabase& database = UsePostgres();
  database.Execute("CREATE TABLE reached (step text)");
  InstallLiftaide();
  temp().WriteFile(std::string(kStepFolder) + "upgrade_PostgreSQL.sql",
                   "INSERT INTO reached VALUES ('before')\n/\n"
                   "SELECT pg_sleep(60)\n/\n"
                   "INSERT INTO reached VALUES ('after')\n/\n");
  temp().WriteFile(std::string(kStepFolder) + "TWDB_views_PostgreSQL.sql",
                   "INSERT INTO reached VALUES ('views');\n");
  WriteOdbcIni();
  const auto started = std::chrono::steady_clock::now();
  RunningProgram program(SCHEMALIFT_BINARY, UpgradeArgv("650"), runOptions());
  ASSERT_TRUE(program.WaitForOutput("SELECT pg_sleep(60)", std::chrono::seconds(60)));
  // The backend that runs the sleep is terminated from another connection, as an administrator
  // would; the statement may need a moment to show as active.
  bool terminated = false;
  for (int attempt = 0; attempt < 300 && !terminated; ++attempt) {
    terminated = RunAsAdmin(
                     "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                     "datname = '" +
                     database.name() +
                     "' AND state = 'active' AND query = 'SELECT pg_sleep(60)'") == Lines{"t"};
    if (!terminated) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(terminated);
  const ProgramRun run = program.Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_FALSE(ContainsPassword(run.out));
  EXPECT_FALSE(ContainsPassword(run.err));
  // The block script reports its failure and leaves the rest of its file; the run goes on to the
  // next entry, a command script, whose first statement finds the connection gone and ends the
  // run through the error path: no schema reset, no liftaide.
  const std::string views = std::string(kPrintedFolder) + "TWDB_views_PostgreSQL.sql";
  EXPECT_LINES(
      LinesAfter(run.OutLines(), "SELECT pg_sleep(60)"),
      {"type : 'cmds'", "script : 'TWDB_views_PostgreSQL.sql'", "scriptFile : '" + views + "'",
       "** " + views + " **", "Executing SQL commands:", "INSERT INTO reached VALUES ('views')",
       "{TS} - Executing: ", "INSERT INTO reached VALUES ('views')", "Exiting. Status=1"});
  const Lines lost = {"INSERT INTO reached VALUES ('views')", "^^^^^^^^^^", "",
                      "1 [08S01](35) SQLExecDirectW unable due to the connection lost"};
  EXPECT_LINES(run.ErrLines(),
               Concat({{"Error while executing " + std::string(kPrintedFolder) +
                            "upgrade_PostgreSQL.sql:4, reason: Statement failure(rc=-1).",
                        "SELECT pg_sleep(60)", "^^^^^^^^^^", "",
                        "1 [57P01](35) FATAL: terminating connection due to administrator command;",
                        "The connection has been lost",
                        "Error while executing " + views + ":1, reason: Statement failure(rc=-1)."},
                       lost,
                       {"ERROR: Statement failure(rc=-1)."},
                       lost}));
  EXPECT_EQ(database.Query("SELECT step FROM reached"), Lines{"before"});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(ServerFaultTest, AServerThatDoesNotListenFailsTheConnectionAndNothingRuns) {
  const Testbed& testbed = Testbed::Get();
  const std::string port = UnusedLoopbackPort();
  odbcIni().AddDriver("PostgreSQL Unicode", testbed.postgresDriver);
  odbcIni().AddDsn("TWDB stopped", "PostgreSQL Unicode",
                   {{"Servername", "127.0.0.1"}, {"Port", port}, {"Database", "twdb"}});
  InstallLiftaide();
  InstallScripts("postgresql/scripts");
  const auto started = std::chrono::steady_clock::now();
  const ProgramRun run =
      RunSchemalift({"-t", "postgresql", "-d", B64("TWDB stopped"), "-u", B64(testbed.appUser),
                     "-p", B64(testbed.appPassword), "-y", "-b", "550"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(),
               {"Parsing command line arguments...", "Command line arguments parsed.",
                "DB type: 'PostgreSQL'", "DB user name: '" + testbed.appUser + "'",
                "Data Source Name: 'TWDB stopped'", "twxd base version : '550'"});
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='TWDB stopped' user='" + testbed.appUser + "'",
                "1 [08001](101) [unixODBC]connection to server at \"127.0.0.1\", port " + port +
                    " failed: Connection refused",
                "\tIs the server running on that host and accepting TCP/IP connections?", ""});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

}  // namespace
}  // namespace upgrade_e2e
