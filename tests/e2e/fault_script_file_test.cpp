// Script files that are not what the catalogue expects: a FIFO (which must not block the run), a
// file that disappears while the run is going on, and a link to a file elsewhere. (A path that
// names a folder is in upgrade_postgresql_test.cpp.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "support/output_match.h"

namespace upgrade_e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kPrintedFolder = ".\\Upgrade-v2016-to-v2017\\postgresql\\";

std::filesystem::path StepFolder(const std::filesystem::path& workDir) {
  return workDir / "Upgrade-v2016-to-v2017" / "postgresql";
}

/// Everything after the first line equal to `line`, that line excluded.
Lines LinesAfter(const Lines& lines, const std::string& line) {
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? Lines{} : Lines(found + 1, lines.end());
}

class ScriptFileFaultTest : public UpgradeTest {
 protected:
  void SetUp() override {
    UpgradeTest::SetUp();
    std::ifstream schema(FixtureFolder() / "postgresql" / "base_schema.sql");
    UsePostgres().Execute(std::string(std::istreambuf_iterator<char>(schema), {}));
    InstallScripts("postgresql/scripts");
    InstallLiftaide();
    // A run that blocks is ended by the harness (and fails the test) well before CTest's limit.
    runOptions().timeout = std::chrono::seconds(60);
  }

  std::vector<std::string> UpgradeArguments() {
    std::vector<std::string> arguments = ConnectArguments();
    arguments.insert(arguments.end(), {"-b", "650"});
    return arguments;
  }

  Lines TraceRows() { return UsePostgres().Query("SELECT script FROM upgrade_trace ORDER BY seq"); }

  /// The whole trace of a complete run from 650.
  static Lines CompleteTrace() {
    Lines trace;
    for (const bool afterLaunch : {false, true}) {
      for (const std::string& entry : StepEntries(650, DbType::postgresql, false, afterLaunch)) {
        trace.push_back("650/" + FileOf(entry));
      }
      trace.push_back("reset");
    }
    return trace;
  }
};

TEST_F(ScriptFileFaultTest, AFifoIsReportedLikeAFileThatCannotBeOpenedAndDoesNotBlock) {
  const std::filesystem::path script = StepFolder(workDir()) / "upgrade_PostgreSQL.sql";
  std::filesystem::remove(script);
  ASSERT_EQ(mkfifo(script.c_str(), 0600), 0);
  const auto started = std::chrono::steady_clock::now();
  const ProgramRun run = RunSchemalift(UpgradeArguments());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(run.exitStatus, 1);
  const std::string printed = std::string(kPrintedFolder) + "upgrade_PostgreSQL.sql";
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open block command script file '" + printed + "'."});
  EXPECT_LINES(LinesAfter(run.OutLines(), "scriptFile : '" + printed + "'"), {"Exiting. Status=1"});
  EXPECT_EQ(TraceRows(), Lines{});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(ScriptFileFaultTest, AFileRemovedWhileTheRunIsGoingOnEndsTheRunWhenItsTurnComes) {
  // The first script of the step sleeps, so that the second one can go before its turn.
  temp().WriteFile("work/Upgrade-v2016-to-v2017/postgresql/upgrade_PostgreSQL.sql",
                   "INSERT INTO upgrade_trace (script) VALUES ('650/upgrade_PostgreSQL.sql')\n/\n"
                   "SELECT pg_sleep(5)\n/\n");
  WriteOdbcIni();
  std::vector<std::string> argv = {"schemalift"};
  const std::vector<std::string> arguments = UpgradeArguments();
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  RunningProgram program(SCHEMALIFT_BINARY, argv, runOptions());
  ASSERT_TRUE(program.WaitForOutput("SELECT pg_sleep(5)", std::chrono::seconds(60)));
  ASSERT_TRUE(std::filesystem::remove(StepFolder(workDir()) / "TWDB_views_PostgreSQL.sql"));
  const ProgramRun run = program.Wait();
  EXPECT_EQ(run.exitStatus, 1);
  const std::string printed = std::string(kPrintedFolder) + "TWDB_views_PostgreSQL.sql";
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open command script file '" + printed + "'."});
  EXPECT_LINES(LinesAfter(run.OutLines(), "SELECT pg_sleep(5)"),
               {"{TS} - Done.", "type : 'cmds'", "script : 'TWDB_views_PostgreSQL.sql'",
                "scriptFile : '" + printed + "'", "Exiting. Status=1"});
  EXPECT_EQ(TraceRows(), Lines{"650/upgrade_PostgreSQL.sql"});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(ScriptFileFaultTest, AScriptThatIsALinkToAFileElsewhereIsRun) {
  const std::filesystem::path script = StepFolder(workDir()) / "upgrade_PostgreSQL.sql";
  const std::filesystem::path elsewhere = temp().path() / "elsewhere" / "upgrade.sql";
  std::filesystem::create_directories(elsewhere.parent_path());
  std::filesystem::rename(script, elsewhere);
  std::filesystem::create_symlink(elsewhere, script);
  const ProgramRun run = RunSchemalift(UpgradeArguments());
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(TraceRows(), CompleteTrace());
  const Lines out = run.OutLines();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "Exiting. Status=0");
}

}  // namespace
}  // namespace upgrade_e2e
