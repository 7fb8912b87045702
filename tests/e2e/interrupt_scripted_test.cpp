// A stop asked for by the operator while a SQL Server database runs in the simple recovery model.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <thread>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace {

using namespace scripted_e2e;

class InterruptScriptedTest : public ScriptedE2eTest {};

TEST_F(InterruptScriptedTest, RestoresTheRecoveryModelBeforeReleasingTheConnection) {
  AddScriptedDsn("SQL Server",
                 Rule("exact", kDatabaseNameQuery, TextRows("name", {"twdb"})) +
                     Rule("exact", kAlterPermissionQuery, IntRows({1})) +
                     Rule("exact", kRecoveryModelQuery, TextRows("model", {"FULL"})) +
                     Rule("prefix", "alter database", "  ok\n") +
                     Rule("exact", kDeleteTable, "  block-until-cancel 60000\n"));
  WriteOdbcIni();
  RunningProgram program(SCHEMALIFT_BINARY,
                         {"schemalift", "-t", "mssql", "-d", B64(kScriptedDsn), "-u",
                          B64(kScriptedUser), "-y", "-b", "655"},
                         runOptions());
  ASSERT_TRUE(program.WaitForOutput(std::string(kDeleteTable) + "\n", std::chrono::seconds(30)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  program.Signal(SIGINT);
  const ProgramRun run = program.Wait();

  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 5u);
  EXPECT_LINES(std::vector<std::string>(out.end() - 5, out.end()),
               {"{TS} - Executing: ", "alter database [twdb] set recovery FULL", "{TS} - Done.",
                "Executed query: alter database [twdb] set recovery FULL", "Exiting. Status=1"});
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.front(), "ERROR: Statement failure(rc=-1).");
  EXPECT_EQ(err.back(), "ERROR: The run was interrupted by SIGINT.");

  const std::vector<std::string> outline = JournalOutline();
  const auto position = [&](const std::string& line) {
    return std::find(outline.begin(), outline.end(), line) - outline.begin();
  };
  const auto cancelled = position("EXEC-RESULT canceled");
  const auto restored = position("EXEC alter database [twdb] set recovery FULL");
  const auto disconnected = position("DISCONNECT");
  ASSERT_LT(cancelled, static_cast<long>(outline.size())) << "the DELETE was not cancelled";
  EXPECT_LT(cancelled, restored);
  EXPECT_LT(restored, disconnected);
  EXPECT_EQ(std::count(outline.begin(), outline.end(), "EXEC DELETE FROM TWX_INDEX_COLUMN"), 0);
  ExpectEveryStatementFreed();
}

}  // namespace
