#include "scripts/upgrade_run.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/base64.h"
#include "script_test_support.h"
#include "scripts/script_catalogue.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kDeletes[] = {"DELETE FROM TWX_TABLE", "DELETE FROM TWX_INDEX_COLUMN",
                                "DELETE FROM TWX_SCHEMA_HASH"};

/// Records statements and liftaide launches in one sequence. Launches return the status given
/// for their base version (0 when none is given).
class UpgradeRecorder final : public StatementExecutor, public LiftaideLauncher {
 public:
  void ExecuteOnce(std::string_view text) override {
    events.emplace_back(text);
    if (text == failingStatement) throw std::runtime_error("statement rejected");
  }

  bool EndOpenTransaction(bool) override { return false; }

  int Launch(const std::vector<std::string>& arguments) override {
    std::string event = "LAUNCH";
    for (const std::string& argument : arguments) event += " " + argument;
    events.push_back(event);
    launches.push_back(arguments);
    const auto status = launchStatus.find(arguments.front());
    return status == launchStatus.end() ? 0 : status->second;
  }

  Lines events;
  std::vector<Lines> launches;
  std::map<std::string, int> launchStatus;
  std::string failingStatement = "(none)";
};

std::string FileNameOf(const std::string& entry) {
  return entry.substr(entry.find(':') + 1);
}

/// The statement that the fixture file of an entry runs.
std::string TraceOf(const std::string& entry) {
  const std::string kind = entry.substr(0, entry.find(':'));
  if (kind == "proc") return "create function '" + FileNameOf(entry) + "'";
  if (kind == "tag") return "SELECT 'after B1 in " + FileNameOf(entry) + "'";
  return "SELECT '" + FileNameOf(entry) + "'";
}

std::string ContentOf(const std::string& entry) {
  const std::string kind = entry.substr(0, entry.find(':'));
  if (kind == "tag") {
    return "SELECT 'before B1';\n/\n<B1/>\n" + TraceOf(entry) + "\n/\n<B2/>\n";
  }
  if (kind == "proc") return "-- header\n" + TraceOf(entry) + "\n";
  return TraceOf(entry) + "\n";
}

std::string FolderOf(int baseVersion) {
  std::string folder = GetScriptFolder(baseVersion, DbType::postgresql);
  folder[folder.find('\\')] = '/';
  return folder;
}

/// Writes a fixture file for every PostgreSQL entry of the catalogue, ordinary and
/// build-to-build.
void WriteAllPostgresScripts(const ScratchFolder& folder) {
  ConsoleCapture quiet;
  for (const int baseVersion : {550, 600, 650}) {
    std::vector<std::vector<std::string>> lists = {
        GetScripts(baseVersion, DbType::postgresql, false),
        GetScripts(baseVersion, DbType::postgresql, true)};
    if (baseVersion != 550) {
      lists.push_back(GetBuildToBuildScripts(baseVersion, DbType::postgresql, false));
      lists.push_back(GetBuildToBuildScripts(baseVersion, DbType::postgresql, true));
    }
    for (const auto& list : lists) {
      for (const std::string& entry : list) {
        folder.WriteFile(FolderOf(baseVersion) + "/" + FileNameOf(entry), ContentOf(entry));
      }
    }
  }
}

Lines TracesOf(const std::vector<std::string>& entries) {
  Lines traces;
  for (const std::string& entry : entries) traces.push_back(TraceOf(entry));
  return traces;
}

void Append(Lines& lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

Lines StepEvents(int baseVersion, const std::string& launch) {
  Lines events = TracesOf(GetScripts(baseVersion, DbType::postgresql, false));
  Append(events, Lines(std::begin(kDeletes), std::end(kDeletes)));
  events.push_back(launch);
  Append(events, TracesOf(GetScripts(baseVersion, DbType::postgresql, true)));
  return events;
}

const std::string kDsn = "TWDB";
const std::string kUser = "tw";
const std::string kPassword = "pa ss";

std::string LaunchEvent(int baseVersion) {
  return "LAUNCH " + std::to_string(baseVersion) + " " + Base64Encode(kDsn) + " " +
         Base64Encode(kUser) + " " + Base64Encode(kPassword);
}

class UpgradeRunTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteAllPostgresScripts(folder); }

  int Run(std::int32_t sourceVersion, const std::string& buildTag = "",
          const std::string& ormObjectCount = "0", const std::string& userName = kUser) {
    ConsoleCapture console;
    int status = -100;
    try {
      status = RunUpgrade(recorder, recorder, DbType::postgresql, sourceVersion, kDsn, userName,
                          kPassword, buildTag, ormObjectCount);
    } catch (const std::runtime_error& thrown) {
      failure = thrown.what();
    }
    out = console.OutLines();
    err = console.ErrLines();
    return status;
  }

  ScratchFolder folder;
  UpgradeRecorder recorder;
  Lines out;
  Lines err;
  std::string failure;
};

TEST_F(UpgradeRunTest, FromSixHundredRunsStepsSixHundredAndSixHundredFifty) {
  EXPECT_EQ(Run(600), 0);
  Lines expected = StepEvents(600, LaunchEvent(600));
  Append(expected, StepEvents(650, LaunchEvent(650)));
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(err, Lines{});
  EXPECT_EQ(failure, "");
}

TEST_F(UpgradeRunTest, FromFiveFiftyRunsAllThreeSteps) {
  EXPECT_EQ(Run(550), 0);
  Lines expected = StepEvents(550, LaunchEvent(550));
  Append(expected, StepEvents(600, LaunchEvent(600)));
  Append(expected, StepEvents(650, LaunchEvent(650)));
  EXPECT_EQ(recorder.events, expected);
}

TEST_F(UpgradeRunTest, SourceVersionSelectsTheSteps) {
  EXPECT_EQ(Run(551), 0);
  EXPECT_EQ(recorder.launches.size(), 2u);
  recorder.launches.clear();
  EXPECT_EQ(Run(601), 0);
  ASSERT_EQ(recorder.launches.size(), 1u);
  EXPECT_EQ(recorder.launches[0][0], "650");
  recorder.launches.clear();
  EXPECT_EQ(Run(650), 0);
  EXPECT_EQ(recorder.launches.size(), 1u);
}

TEST_F(UpgradeRunTest, PrintsPathsEntriesAndTheMaskedLine) {
  EXPECT_EQ(Run(600), 0);
  const Lines expectedStart = {
      "string path : '.'",
      "path : '.\\Upgrade-v2015-to-v2016\\postgresql\\'",
      "type : 'block'",
      "script : 'upgrade_PostgreSQL.sql'",
      "scriptFile : '.\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql'",
      "** .\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql **",
      "Executing SQL commands:",
      "Calling liftaide with the following command line:",
      ".\\liftaide 600 \"" + Base64Encode(kDsn) + "\" \"" + Base64Encode(kUser) + "\" \"*****\"",
      "string path : '.'",
      "path : '.\\Upgrade-v2015-to-v2016\\postgresql\\'",
      "type : 'block'",
      "script : 'orm_PostgreSQL.sql'",
      "scriptFile : '.\\Upgrade-v2015-to-v2016\\postgresql\\orm_PostgreSQL.sql'",
      "** .\\Upgrade-v2015-to-v2016\\postgresql\\orm_PostgreSQL.sql **",
      "Executing SQL commands:",
      "string path : '.'",
      "path : '.\\Upgrade-v2016-to-v2017\\postgresql\\'",
  };
  ASSERT_GE(out.size(), expectedStart.size());
  EXPECT_EQ(Lines(out.begin(), out.begin() + static_cast<long>(expectedStart.size())),
            expectedStart);
  for (const std::string& line : out) {
    EXPECT_EQ(line.find(Base64Encode(kPassword)), std::string::npos) << line;
  }
}

TEST_F(UpgradeRunTest, StepFiveFiftyAfterLaunchWritesOnlyItsPathLines) {
  EXPECT_EQ(Run(550), 0);
  const auto launchLine = std::find(
      out.begin(), out.end(),
      ".\\liftaide 550 \"" + Base64Encode(kDsn) + "\" \"" + Base64Encode(kUser) + "\" \"*****\"");
  ASSERT_NE(launchLine, out.end());
  EXPECT_EQ(Lines(launchLine + 1, launchLine + 4),
            (Lines{"string path : '.'", "path : '.\\Upgrade-v2013-to-v2015\\postgresql\\'",
                   "string path : '.'"}));
}

TEST_F(UpgradeRunTest, NoStepFromSixFiftyFive) {
  EXPECT_EQ(Run(655), 0);
  EXPECT_EQ(recorder.events, Lines{});
  EXPECT_EQ(out, Lines{});
}

TEST_F(UpgradeRunTest, UnsupportedSourceVersionRunsNothing) {
  EXPECT_EQ(Run(660), 1);
  EXPECT_EQ(err, Lines{"ERROR: Incorrect Database Version: 660"});
  EXPECT_EQ(Run(549), 1);
  EXPECT_EQ(recorder.events, Lines{});
  EXPECT_EQ(out, Lines{});
}

TEST_F(UpgradeRunTest, LiftaideFailureStopsTheRun) {
  recorder.launchStatus["600"] = 2;
  EXPECT_EQ(Run(600), 1);
  Lines expected = TracesOf(GetScripts(600, DbType::postgresql, false));
  Append(expected, Lines(std::begin(kDeletes), std::end(kDeletes)));
  expected.push_back(LaunchEvent(600));
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(err, Lines{"ERROR: liftaide failed: 2"});
  EXPECT_EQ(out.back(), ".\\liftaide 600 \"" + Base64Encode(kDsn) + "\" \"" + Base64Encode(kUser) +
                            "\" \"*****\"");
}

TEST_F(UpgradeRunTest, LiftaideThatCannotStartFailsWithMinusOne) {
  recorder.launchStatus["650"] = -1;
  EXPECT_EQ(Run(601), 1);
  EXPECT_EQ(err, Lines{"ERROR: liftaide failed: -1"});
  EXPECT_EQ(recorder.events.back(), LaunchEvent(650));
}

TEST_F(UpgradeRunTest, EmptyUserNameLaunchesWithDsnOnly) {
  EXPECT_EQ(Run(650, "", "0", ""), 0);
  ASSERT_EQ(recorder.launches.size(), 1u);
  EXPECT_EQ(recorder.launches[0], (Lines{"650", Base64Encode(kDsn)}));
  EXPECT_NE(std::find(out.begin(), out.end(), ".\\liftaide 650 \"" + Base64Encode(kDsn) + "\""),
            out.end());
}

TEST_F(UpgradeRunTest, BuildToBuildWithoutOrmObjectsLaunchesNothing) {
  for (const std::string count : {"0", "-3", "abc", " 0x"}) {
    SCOPED_TRACE(count);
    recorder.events.clear();
    EXPECT_EQ(Run(600, "B1", count), 0);
    Lines expected = {"SELECT 'after B1 in b2b_PostgreSQL.sql'",
                      "UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = 'B2';"};
    ConsoleCapture quiet;
    Lines full = TracesOf(GetBuildToBuildScripts(650, DbType::postgresql, false));
    full.insert(full.begin() + 1, "UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = 'B2';");
    Append(expected, full);
    EXPECT_EQ(recorder.events, expected);
    EXPECT_EQ(recorder.launches.size(), 0u);
  }
}

TEST_F(UpgradeRunTest, BuildToBuildWithOrmObjectsLaunchesAndRunsOrm) {
  for (const std::string count : {"3", " +1x"}) {
    SCOPED_TRACE(count);
    recorder.events.clear();
    EXPECT_EQ(Run(650, "B1", count), 0);
    Lines expected = {"SELECT 'after B1 in b2b_PostgreSQL.sql'",
                      "UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = 'B2';"};
    ConsoleCapture quiet;
    const Lines full = TracesOf(GetBuildToBuildScripts(650, DbType::postgresql, false));
    Append(expected, Lines(full.begin() + 1, full.end()));
    Append(expected, Lines(std::begin(kDeletes), std::end(kDeletes)));
    expected.push_back(LaunchEvent(650));
    expected.push_back("SELECT 'orm_PostgreSQL.sql'");
    EXPECT_EQ(recorder.events, expected);
    EXPECT_EQ(out.front(), " GetBuildToBuildScripts  base ver  : '650'");
  }
}

TEST_F(UpgradeRunTest, BuildToBuildFromFiveFiftyFailsBeforeAnyScript) {
  EXPECT_EQ(Run(550, "B1", "1"), -100);
  EXPECT_EQ(failure, "GetBuildToBuildScripts() Invalid base version.");
  EXPECT_EQ(out, Lines{" GetBuildToBuildScripts  base ver  : '550'"});
  EXPECT_EQ(recorder.events, Lines{});
}

TEST_F(UpgradeRunTest, MissingScriptFileEndsTheRunWithItsFailure) {
  std::filesystem::remove(folder.path() /
                          "Upgrade-v2016-to-v2017/postgresql/calc_topn2_proc_PostgreSQL.sql");
  EXPECT_EQ(Run(650), -100);
  EXPECT_EQ(failure,
            "Cannot open procedures definition file "
            "'.\\Upgrade-v2016-to-v2017\\postgresql\\calc_topn2_proc_PostgreSQL.sql'.");
  EXPECT_EQ(recorder.events.back(), "create function 'calc_topn1_proc_PostgreSQL.sql'");
  EXPECT_EQ(recorder.launches.size(), 0u);
}

TEST_F(UpgradeRunTest, FailingBlockStatementDoesNotStopTheRun) {
  recorder.failingStatement = "SELECT 'upgrade_PostgreSQL.sql'";
  EXPECT_EQ(Run(600), 0);
  // Both steps have a file of that name and content; each failure ends only its own script.
  EXPECT_EQ(err, (Lines{"Error while executing "
                        ".\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql:1, reason: "
                        "statement rejected",
                        "Error while executing "
                        ".\\Upgrade-v2016-to-v2017\\postgresql\\upgrade_PostgreSQL.sql:1, reason: "
                        "statement rejected"}));
  EXPECT_EQ(recorder.events.back(), "SELECT 'orm_PostgreSQL.sql'");
  EXPECT_EQ(recorder.launches.size(), 2u);
}

TEST_F(UpgradeRunTest, FailingCommandStatementEndsTheRun) {
  recorder.failingStatement = "SELECT 'TWDB_views_PostgreSQL.sql'";
  EXPECT_EQ(Run(650), -100);
  EXPECT_EQ(failure, "statement rejected");
  EXPECT_EQ(recorder.launches.size(), 0u);
}

TEST_F(UpgradeRunTest, ResetSchemaHashEmptiesTheThreeTablesInOrder) {
  UpgradeRecorder executor;
  ResetSchemaHash(executor);
  EXPECT_EQ(executor.events, Lines(std::begin(kDeletes), std::end(kDeletes)));
  UpgradeRecorder failing;
  failing.failingStatement = "DELETE FROM TWX_INDEX_COLUMN";
  EXPECT_THROW(ResetSchemaHash(failing), std::runtime_error);
  EXPECT_EQ(failing.events, (Lines{"DELETE FROM TWX_TABLE", "DELETE FROM TWX_INDEX_COLUMN"}));
}

}  // namespace
