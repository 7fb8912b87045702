// A stop asked for by the operator (SIGINT or SIGTERM) in the middle of a run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "e2e/e2e_fixture.h"
#include "support/output_match.h"

namespace {

class InterruptTest : public E2eTest {
 protected:
  /// A database on which step 650 starts with a slow statement (by default one that sleeps for a
  /// minute).
  void PrepareSlowUpgrade(const std::string& slowStatement = kSleep) {
    UsePostgres().Execute(
        "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
        "CREATE TABLE TWX_SCHEMA_HASH (x int); CREATE TABLE reached (step text);");
    temp().WriteFile("work/Upgrade-v2016-to-v2017/postgresql/upgrade_PostgreSQL.sql",
                     "INSERT INTO reached VALUES ('before')\n/\n" + slowStatement +
                         "\n/\nINSERT INTO reached VALUES ('after')\n/\n");
  }

  std::vector<std::string> UpgradeArguments() {
    std::vector<std::string> arguments = ConnectArguments();
    arguments.insert(arguments.end(), {"-b", "650"});
    return arguments;
  }

  /// Sends the signals while the slow statement runs, each after a pause in which the program
  /// must go on running.
  ProgramRun SignalDuring(const std::string& slowStatement, std::initializer_list<int> signals) {
    WriteOdbcIni();
    std::vector<std::string> argv = {"schemalift"};
    const std::vector<std::string> arguments = UpgradeArguments();
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    RunningProgram program(SCHEMALIFT_BINARY, argv, runOptions());
    EXPECT_TRUE(program.WaitForOutput(slowStatement, std::chrono::seconds(60)));
    for (const int signalNumber : signals) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      siginfo_t ended{};
      EXPECT_EQ(
          waitid(P_PID, static_cast<id_t>(program.pid()), &ended, WEXITED | WNOHANG | WNOWAIT), 0);
      EXPECT_EQ(ended.si_pid, 0) << "ended before signal " << signalNumber;
      program.Signal(signalNumber);
    }
    return program.Wait();
  }

  ProgramRun InterruptDuringSleep(int signalNumber) { return SignalDuring(kSleep, {signalNumber}); }

  static constexpr const char* kSleep = "SELECT pg_sleep(60)";
};

TEST_F(InterruptTest, SigintCancelsTheStatementAndEndsThroughTheErrorPath) {
  PrepareSlowUpgrade();
  const auto started = std::chrono::steady_clock::now();
  const ProgramRun run = InterruptDuringSleep(SIGINT);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> out = run.OutLines();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "Exiting. Status=1");
  // Nothing after the cancelled statement ran: no further block, no schema reset, no liftaide.
  EXPECT_EQ(run.out.find("INSERT INTO reached VALUES ('after')"), std::string::npos);
  EXPECT_EQ(run.out.find("Calling liftaide"), std::string::npos);
  EXPECT_EQ(UsePostgres().Query("SELECT step FROM reached"), std::vector<std::string>{"before"});
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), "ERROR: The run was interrupted by SIGINT.");
  EXPECT_TRUE(err[0].starts_with(
      "Error while executing .\\Upgrade-v2016-to-v2017\\postgresql\\upgrade_PostgreSQL.sql:4, "
      "reason: Statement failure(rc=-1)."))
      << run.err;
}

TEST_F(InterruptTest, SigtermStopsTheRunTheSameWay) {
  PrepareSlowUpgrade();
  const ProgramRun run = InterruptDuringSleep(SIGTERM);
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.back(), "ERROR: The run was interrupted by SIGTERM.");
  EXPECT_EQ(run.OutLines().back(), "Exiting. Status=1");
}

// The driver never returns from COPY ... FROM stdin and takes no notice of the cancel request:
// the first signal leaves the program running, the second one ends it at once, by that signal.
TEST_F(InterruptTest, SecondSignalAbandonsAStatementThatIgnoresTheCancel) {
  const std::string copy = "COPY reached FROM stdin";
  PrepareSlowUpgrade(copy);
  const struct {
    int first, second, exitStatus;
    const char* lastLine;
  } cases[] = {
      {SIGINT, SIGTERM, 143,
       "ERROR: The run was abandoned by a second SIGTERM. Nothing was restored."},
      {SIGTERM, SIGINT, 130,
       "ERROR: The run was abandoned by a second SIGINT. Nothing was restored."},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.lastLine);
    const ProgramRun run = SignalDuring(copy, {row.first, row.second});
    EXPECT_EQ(run.exitStatus, row.exitStatus);
    ASSERT_FALSE(run.ErrLines().empty());
    EXPECT_EQ(run.ErrLines().back(), row.lastLine);
    EXPECT_EQ(run.out.find("Exiting."), std::string::npos);
  }
}

}  // namespace
