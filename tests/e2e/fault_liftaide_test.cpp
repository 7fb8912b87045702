// liftaide cannot be started, or hangs: the run reports "ERROR: liftaide failed: " with the status,
// resets the schema hash and ends with status 1; the scripts after the launch never run. (A
// missing liftaide, one that fails with a status, and one that ends itself by a signal are in
// upgrade_postgresql_test.cpp.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "support/output_match.h"

namespace upgrade_e2e {
namespace {

using Lines = std::vector<std::string>;

/// Everything after the first line equal to `line`, that line excluded.
Lines LinesAfter(const Lines& lines, const std::string& line) {
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? Lines{} : Lines(found + 1, lines.end());
}

class LiftaideFaultTest : public UpgradeTest {
 protected:
  void SetUp() override {
    UpgradeTest::SetUp();
    std::ifstream schema(FixtureFolder() / "postgresql" / "base_schema.sql");
    UsePostgres().Execute(std::string(std::istreambuf_iterator<char>(schema), {}));
    InstallScripts("postgresql/scripts");
    InstallLiftaide();
  }

  std::vector<std::string> UpgradeArguments() {
    std::vector<std::string> arguments = ConnectArguments();
    arguments.insert(arguments.end(), {"-b", "650"});
    return arguments;
  }

  std::vector<std::string> UpgradeArgv() {
    std::vector<std::string> argv = {"schemalift"};
    const std::vector<std::string> arguments = UpgradeArguments();
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
  }

  std::string LaunchLine() { return MaskedLaunchLine(650, kTestDsn, Testbed::Get().appUser); }

  Lines TraceRows() { return UsePostgres().Query("SELECT script FROM upgrade_trace ORDER BY seq"); }

  /// The trace of step 650 up to the launch: its scripts before liftaide, then the reset.
  static Lines TraceUpToTheLaunch() {
    Lines trace;
    for (const std::string& entry : StepEntries(650, DbType::postgresql, false, false)) {
      trace.push_back("650/" + FileOf(entry));
    }
    trace.push_back("reset");
    return trace;
  }

  std::filesystem::path PidPath() { return temp().path() / "liftaide.pid"; }

  /// Makes the stand-in write its process id and sleep until a signal ends it.
  void MakeLiftaideHang() {
    runOptions().environment["LIFTAIDE_HANG"] = "1";
    runOptions().environment["LIFTAIDE_PIDFILE"] = PidPath().string();
  }

  /// The process id that the hanging stand-in wrote; empty when none came within a minute.
  std::optional<pid_t> WaitForLiftaidePid() {
    for (int attempt = 0; attempt < 600; ++attempt) {
      const std::string text = ReadWholeFile(PidPath());
      if (!text.empty() && text.back() == '\n') return static_cast<pid_t>(std::stol(text));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::nullopt;
  }
};

TEST_F(LiftaideFaultTest, ALiftaideWithoutExecutePermissionFailsWithMinusOne) {
  std::filesystem::permissions(workDir() / "liftaide", std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::owner_write);
  const ProgramRun run = RunSchemalift(UpgradeArguments());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: -1"});
  EXPECT_LINES(LinesAfter(run.OutLines(), LaunchLine()),
               Concat({ResetLines(), {"Exiting. Status=1"}}));
  EXPECT_EQ(TraceRows(), Concat({TraceUpToTheLaunch(), {"reset"}}));
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(LiftaideFaultTest, AnExecutableTextWithoutInterpreterLineFailsWithMinusOne) {
  // Started directly, without a shell, a text file is no program.
  temp().WriteFile("work/liftaide", "echo started > started.txt\n");
  std::filesystem::permissions(workDir() / "liftaide", std::filesystem::perms::owner_all);
  const ProgramRun run = RunSchemalift(UpgradeArguments());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: -1"});
  EXPECT_LINES(LinesAfter(run.OutLines(), LaunchLine()),
               Concat({ResetLines(), {"Exiting. Status=1"}}));
  EXPECT_EQ(TraceRows(), Concat({TraceUpToTheLaunch(), {"reset"}}));
  EXPECT_FALSE(std::filesystem::exists(workDir() / "started.txt"));
}

TEST_F(LiftaideFaultTest, AHangingLiftaideKilledFromOutsideFailsWithOneHundredThirtySeven) {
  MakeLiftaideHang();
  WriteOdbcIni();
  RunningProgram program(SCHEMALIFT_BINARY, UpgradeArgv(), runOptions());
  const std::optional<pid_t> liftaide = WaitForLiftaidePid();
  ASSERT_TRUE(liftaide.has_value());
  // The run waits for liftaide as long as it runs.
  EXPECT_FALSE(program.WaitForOutput("Exiting. Status=", std::chrono::seconds(1)));
  ASSERT_EQ(kill(*liftaide, SIGKILL), 0);
  const ProgramRun run = program.Wait();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_FALSE(ContainsPassword(run.out));
  EXPECT_FALSE(ContainsPassword(run.err));
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: 137"});
  EXPECT_LINES(LinesAfter(run.OutLines(), LaunchLine()),
               Concat({ResetLines(), {"Exiting. Status=1"}}));
  EXPECT_EQ(TraceRows(), Concat({TraceUpToTheLaunch(), {"reset"}}));
  EXPECT_EQ(LiftaideRecord(), Lines{RecordedLaunch(650)});
}

TEST_F(LiftaideFaultTest, AStopAskedForWhileLiftaideHangsTakesEffectWhenLiftaideEnds) {
  MakeLiftaideHang();
  WriteOdbcIni();
  RunningProgram program(SCHEMALIFT_BINARY, UpgradeArgv(), runOptions());
  const std::optional<pid_t> liftaide = WaitForLiftaidePid();
  ASSERT_TRUE(liftaide.has_value());
  // The stop is not passed on to liftaide: the run goes on waiting for it.
  program.Signal(SIGTERM);
  EXPECT_FALSE(program.WaitForOutput("Exiting. Status=", std::chrono::seconds(2)));
  ASSERT_EQ(kill(*liftaide, SIGKILL), 0);
  const ProgramRun run = program.Wait();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(),
            (Lines{"ERROR: liftaide failed: 137", "ERROR: The run was interrupted by SIGTERM."}));
  // Stopped: not even the schema reset of the run's end.
  EXPECT_LINES(LinesAfter(run.OutLines(), LaunchLine()), {"Exiting. Status=1"});
  EXPECT_EQ(TraceRows(), TraceUpToTheLaunch());
}

}  // namespace
}  // namespace upgrade_e2e
