// A stop asked for by the operator in the middle of a run. The first SIGINT or SIGTERM cancels the
// running statement and the run ends through the error path, running nothing after it. The driver
// never returns from COPY ... FROM stdin and takes no notice of the cancel request: the first
// signal leaves the program running, the second one ends it at once, by that signal.
#include "e2e/e2e_fixture.h"

namespace {

const std::string kSleep = "SELECT pg_sleep(60)", kCopy = "COPY reached FROM stdin";

/// The slow statement of step 650's first script, between two INSERTs; the signals sent while it
/// runs, each after a pause in which the program must go on running; the exit status, the last
/// line of standard output and all of standard error.
struct Row {
  std::string name, statement;
  std::vector<int> signals;
  int status;
  std::string lastOut;
  Lines err;
};

// clang-format off
const Lines kStatement = {kSleep, "^^^^^^^^^^", "", "1 [57014](1) ERROR: canceling statement due "
    "to user request;", "Error while executing the query"};
const Lines kCancelled = Concat({{"Error while executing .\\Upgrade-v2016-to-v2017\\postgresql\\"
    "upgrade_PostgreSQL.sql:4, reason: Statement failure(rc=-1)."}, kStatement,
    {"ERROR: Statement failure(rc=-1)."}, kStatement});
const Row kRows[] = {
  {"Sigint", kSleep, {SIGINT}, 1, "Exiting. Status=1",
   Concat({kCancelled, {"ERROR: The run was interrupted by SIGINT."}})},
  {"Sigterm", kSleep, {SIGTERM}, 1, "Exiting. Status=1",
   Concat({kCancelled, {"ERROR: The run was interrupted by SIGTERM."}})},
  {"SecondSigterm", kCopy, {SIGINT, SIGTERM}, 143, kCopy,
   {"ERROR: The run was abandoned by a second SIGTERM. Nothing was restored."}},
  {"SecondSigint", kCopy, {SIGTERM, SIGINT}, 130, kCopy,
   {"ERROR: The run was abandoned by a second SIGINT. Nothing was restored."}},
};
// clang-format on

class InterruptTest : public E2eTest, public ::testing::WithParamInterface<Row> {};

TEST_P(InterruptTest, CancelsOnTheFirstSignalAndAbandonsOnTheSecond) {
  const Row& row = GetParam();
  UsePlainScripts();
  Query("CREATE TABLE reached (step text)");
  std::ofstream(workDir() / "Upgrade-v2016-to-v2017/postgresql/upgrade_PostgreSQL.sql")
      << "INSERT INTO reached VALUES ('before')\n/\n" + row.statement +
             "\n/\nINSERT INTO reached VALUES ('after')\n/\n";
  WriteOdbcIni();
  RunningProgram program(SCHEMALIFT_BINARY,
                         Concat({{"schemalift"}, ConnectArguments(), {"-b", "650"}}), runOptions());
  ASSERT_TRUE(program.WaitForOutput(row.statement, std::chrono::seconds(60)));
  const auto started = std::chrono::steady_clock::now();
  for (const int signalNumber : row.signals) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    program.Signal(signalNumber);
  }
  const ProgramRun run = program.Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(run.exitStatus, row.status);
  EXPECT_EQ(LastLines(run.OutLines(), 1), Lines{row.lastOut});
  EXPECT_EQ(run.ErrLines(), row.err);
  EXPECT_EQ(run.out.find("Calling liftaide"), std::string::npos);
  // Nothing after the slow statement ran: no further block, no schema reset, no liftaide.
  EXPECT_EQ(Query("SELECT step FROM reached"), Lines{"before"});
}

INSTANTIATE_TEST_SUITE_P(Rows, InterruptTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

}  // namespace
