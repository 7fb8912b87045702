// The demo set (demo/): its sample TWDB, its script set and its liftaide, run by the built
// schemalift against the PostgreSQL test bed as demo/run-demo.sh runs them, so that the shipped
// examples keep working with the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "db/db_type.h"
#include "e2e/e2e_fixture.h"
#include "platform/native_path.h"
#include "scripts/script_catalogue.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kDemoFolder = fs::path(SCHEMALIFT_SOURCE_DIR) / "demo";
const fs::path kScriptSet = kDemoFolder / "scripts";
const fs::path kSampleTwdb = kDemoFolder / "twdb" / "twdb_550_PostgreSQL.sql";
constexpr int kStepBaseVersions[] = {550, 600, 650};

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

Lines ReadLines(const fs::path& path) {
  Lines lines;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::size_t CountEqual(const Lines& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

std::size_t CountMatching(const Lines& lines, const std::string& pattern) {
  const std::regex expression(pattern);
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(),
                    [&](const std::string& line) { return std::regex_match(line, expression); }));
}

/// The demo file of a catalogue entry ("kind:file") of a step.
fs::path DemoScript(int baseVersion, const std::string& entry) {
  return kScriptSet / ToNativePath(GetScriptFolder(baseVersion, DbType::postgresql)) /
         entry.substr(entry.find(':') + 1);
}

/// The line that follows each "Calling liftaide with the following command line:".
Lines LaunchLines(const Lines& out) {
  Lines launches;
  for (std::size_t index = 0; index + 1 < out.size(); ++index) {
    if (out[index] == "Calling liftaide with the following command line:") {
      launches.push_back(out[index + 1]);
    }
  }
  return launches;
}

std::string MaskedLaunch(int baseVersion) {
  return ".\\liftaide " + std::to_string(baseVersion) + " \"" + B64(kTestDsn) + "\" \"" +
         B64(Testbed::Get().appUser) + "\" \"*****\"";
}

/// What the demo's liftaide logs for a launch on the test DSN, without its timestamp.
std::string LoggedLaunch(int baseVersion) {
  return "step " + std::to_string(baseVersion) + ": DSN '" + kTestDsn + "', user '" +
         Testbed::Get().appUser + "', password given (not logged)";
}

// Every file that the PostgreSQL catalogue names is in the demo set, for the ordinary and the
// build-to-build lists, before and after liftaide, and so are the validation scripts of each step.
TEST(DemoScriptSet, HoldsEveryFileThatThePostgresCatalogueNames) {
  std::size_t files = 0;
  for (const int baseVersion : kStepBaseVersions) {
    for (const bool afterLaunch : {false, true}) {
      Lines entries = GetScripts(baseVersion, DbType::postgresql, afterLaunch);
      if (baseVersion != 550) {
        const Lines buildToBuild =
            GetBuildToBuildScripts(baseVersion, DbType::postgresql, afterLaunch);
        entries.insert(entries.end(), buildToBuild.begin(), buildToBuild.end());
      }
      for (const std::string& entry : entries) {
        EXPECT_TRUE(fs::is_regular_file(DemoScript(baseVersion, entry)))
            << DemoScript(baseVersion, entry);
        ++files;
      }
    }
    for (const char* validation :
         {"x:validate_schema_PostgreSQL.sql", "x:validate_PostgreSQL.sql"}) {
      EXPECT_TRUE(fs::is_regular_file(DemoScript(baseVersion, validation)))
          << DemoScript(baseVersion, validation);
    }
  }
  // 550: 1 file; 600: 2 before liftaide and 2 after; 650: 74 before and 2 after.
  EXPECT_EQ(files, 1u + 4u + 76u);
}

// Build-to-build runs execute the tag files and every shared file of the step 650 again, so the
// tag files must end with their last tag: a statement after it would run at every later run.
TEST(DemoScriptSet, TagFilesEndWithTheirLastTag) {
  for (const int baseVersion : {600, 650}) {
    const Lines lines = ReadLines(DemoScript(baseVersion, "tag:b2b_PostgreSQL.sql"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "<5592/>") << baseVersion;
    EXPECT_EQ(CountEqual(lines, "<5310/>"), 1u) << baseVersion;
  }
}

/// Runs the demo's liftaide directly.
class DemoLiftaideTest : public ::testing::Test {
 protected:
  ProgramRun Run(const Lines& arguments) {
    Lines argv = {"liftaide"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    RunOptions options;
    options.workDir = temp_.path();
    options.environment["LIFTAIDE_LOG"] = LogPath().string();
    return RunProgram(DEMO_LIFTAIDE, argv, options);
  }
  fs::path LogPath() const { return temp_.path() / "liftaide.log"; }

 private:
  TempDir temp_;
};

TEST_F(DemoLiftaideTest, LogsALaunchWithoutThePassword) {
  const std::string password = "Pa55-word+/secret";
  const ProgramRun run = Run({"600", B64("Halvik Tarnwell"), B64("tw"), B64(password)});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.OutLines(),
            Lines{"liftaide: step 600: DSN 'Halvik Tarnwell', user 'tw', password given (not "
                  "logged) - done."});
  const Lines log = ReadLines(LogPath());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(std::regex_match(log[0], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d step 600: )"
                                                  R"(DSN 'Halvik Tarnwell', user 'tw', )"
                                                  R"(password given \(not logged\))")))
      << log[0];
  const std::string everything = run.out + ReadFile(LogPath());
  EXPECT_EQ(everything.find(password), std::string::npos);
  EXPECT_EQ(everything.find(B64(password)), std::string::npos);
}

TEST_F(DemoLiftaideTest, TakesADsnAlone) {
  const ProgramRun run = Run({"550", B64("TWDB")});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.OutLines(),
            Lines{"liftaide: step 550: DSN 'TWDB', no user name (integrated login) - done."});
}

TEST_F(DemoLiftaideTest, RefusesABadCommandLine) {
  const std::vector<std::pair<Lines, std::string>> cases = {
      {{}, "liftaide: expected 2 or 4 arguments, got 0"},
      {{"600", B64("TWDB"), B64("tw")}, "liftaide: expected 2 or 4 arguments, got 3"},
      {{"575", B64("TWDB")}, "liftaide: unknown base version '575'"},
      {{"650", "VFdEQg"}, "liftaide: the DSN argument is not base64"},
      {{"650", "\"VFdEQg==\""}, "liftaide: the DSN argument is not base64"},
      {{"650", ""}, "liftaide: the DSN is empty"},
      {{"650", B64("TWDB"), "dw=", B64("x")}, "liftaide: the user name argument is not base64"},
      {{"650", B64("TWDB"), B64("tw"), "c2Vj*mV0"},
       "liftaide: the password argument is not base64"},
  };
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = Run(arguments);
    EXPECT_EQ(run.exitStatus, 2) << message;
    ASSERT_FALSE(run.ErrLines().empty()) << message;
    EXPECT_EQ(run.ErrLines().front(), message);
    EXPECT_EQ(run.out, "") << message;
  }
  EXPECT_FALSE(fs::exists(LogPath()));
}

/// A test database loaded with the sample TWDB, a working folder with the demo's script set and
/// liftaide, as demo/run-demo.sh prepares them.
class DemoTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    UsePostgres().Execute(ReadFile(kSampleTwdb));
    fs::copy(kScriptSet, workDir(), fs::copy_options::recursive);
    fs::copy_file(DEMO_LIFTAIDE, workDir() / "liftaide");
    runOptions().environment["LIFTAIDE_LOG"] = LiftaideLog().string();
  }

  TestDatabase& database() { return UsePostgres(); }
  fs::path LiftaideLog() { return temp().path() / "liftaide.log"; }

  std::string Value(const std::string& query) {
    const Lines rows = database().Query(query);
    return rows.size() == 1 ? rows.front() : "<" + std::to_string(rows.size()) + " rows>";
  }
  std::string Count(const std::string& tableAndCondition) {
    return Value("SELECT count(*) FROM " + tableAndCondition);
  }
  bool TableExists(const std::string& table) {
    return Count("information_schema.tables WHERE table_schema = 'tw' AND table_name = '" + table +
                 "'") == "1";
  }
  bool ColumnExists(const std::string& table, const std::string& column) {
    return Count("information_schema.columns WHERE table_schema = 'tw' AND table_name = '" + table +
                 "' AND column_name = '" + column + "'") == "1";
  }

  /// The liftaide log without its timestamps.
  Lines LoggedLaunches() {
    Lines launches;
    for (const std::string& line : ReadLines(LiftaideLog())) {
      launches.push_back(line.size() > 20 ? line.substr(20) : line);
    }
    return launches;
  }

  ProgramRun Run(const Lines& extra) {
    Lines arguments = ConnectArguments();
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunSchemalift(arguments);
  }

  /// The upgrade from 550 through the three steps; the later tests start from it.
  void UpgradeFromFiveFifty() {
    const ProgramRun run = Run({"-b", "550"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_EQ(run.err, "");
  }
};

TEST_F(DemoTest, ValidationFromFiveFiftyReportsTheSampleFindings) {
  const fs::path warnings = temp().path() / "warnings.txt";
  const ProgramRun run = Run({"-b", "550", "-v", warnings.string()});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const Lines out = run.OutLines();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "Exiting. Status=0");
  // The database returns the rows of each query in an order of its own.
  EXPECT_EQ(Sorted(run.ErrLines()),
            Sorted({
                "ERROR: wrong-cluster-count",
                "Prod-Cluster-A",
                "ERROR: invalid-dvs-version",
                "{DVSwitch: Switch-Legacy, Version: 5.1.0}",
                "ERROR: invalid-hostprofile-version -> 1",
                "{HostProfile: Branch-Office-Profile, Version: 5.5.0}",
                "ERROR: invalid-hostprofile-version-count -> 1",
                "ERROR: duplicate-names: ",
                "Switch-Storage",
                "WARNING: pylon-version -> 5.5.0 host IP: 10.20.11.13",
                "WARNING: pylon-version -> 5.1.0 host IP: 10.20.11.14",
                "ERROR: wrong-host-version-count -> 2",
                "ERROR: legacy-ft-vms: ",
                "billing-db-01:/storage/gold-lun-01/billing-db-01.cfg",
            }));
  EXPECT_EQ(Sorted(ReadLines(warnings)),
            Sorted({
                "orphan-entity: old-wiki-01 (id 2007, type 0) has parent 9, which does not exist",
                "counter-without-rollup: power.consumed (id 5) will not be kept in the daily "
                "statistics",
                "counter-without-rollup: power.limit (id 6) will not be kept in the daily statistics",
            }));
  EXPECT_FALSE(TableExists("twx_preupgrade_verification"));
  // A validation changes nothing else.
  EXPECT_EQ(Value("SELECT version_value FROM twx_version"), "550");
  EXPECT_EQ(LoggedLaunches(), Lines{});
}

TEST_F(DemoTest, UpgradeFromFiveFiftyRunsTheThreeStepsToTheCurrentSchema) {
  const ProgramRun run = Run({"-b", "550"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Lines out = run.OutLines();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "Exiting. Status=0");
  // 550: the upgrade script; 600: the upgrade and ORM scripts; 650: 37 files and the ORM script.
  EXPECT_EQ(CountMatching(out, R"(scriptFile : '.*')"), 41u);
  EXPECT_EQ(LaunchLines(out), (Lines{MaskedLaunch(550), MaskedLaunch(600), MaskedLaunch(650)}));
  EXPECT_EQ(LoggedLaunches(), (Lines{LoggedLaunch(550), LoggedLaunch(600), LoggedLaunch(650)}));
  EXPECT_EQ(CountMatching(out, R"(liftaide: step \d+: .* - done\.)"), 3u);

  // Schema version and build.
  EXPECT_EQ(Value("SELECT version_value || '|' || version_name FROM twx_version"),
            "700|Tarnwell 2017");
  EXPECT_EQ(Value("SELECT initial_version || '|' || coalesce(current_version, '-') "
                  "FROM twx_patch_version"),
            "5310|-");
  // The schema description is emptied for liftaide, and once more at the end.
  EXPECT_EQ(Count("twx_table"), "0");
  EXPECT_EQ(Count("twx_index_column"), "0");
  EXPECT_EQ(Count("twx_schema_hash"), "0");

  // Step 550: fault tolerance type, host columns, event arguments, re-attached orphan.
  EXPECT_EQ(Value("SELECT fault_tolerance_type FROM twx_vm_config_info WHERE id = 2001"),
            "recordReplay");
  EXPECT_TRUE(ColumnExists("twx_host", "cpu_model"));
  EXPECT_EQ(Count("twx_event_arg"), Count("twx_event"));
  EXPECT_EQ(Value("SELECT parent_id FROM twx_entity WHERE id = 2007"), "4");
  // Step 600: tags, switch columns, and the ORM objects after liftaide.
  EXPECT_EQ(Count("twx_tag_assoc"), "3");
  EXPECT_TRUE(ColumnExists("twx_dvs", "lacp_mode"));
  // Every host of the three clusters mounts the six datastores of the storage pod.
  EXPECT_EQ(Count("twx_file_system_mount_info"), "798");
  // Step 650: views, functions and procedures, jobs that ran once, the ORM script.
  for (const char* view :
       {"twx_vw_host", "twx_vw_cluster_capacity", "twx_vw_vm", "twx_vw_event_recent",
        "twx_vw_stat_daily", "twx_vw_topn", "twx_vw_job_due", "twx_vw_mount"}) {
    EXPECT_EQ(Count(std::string("information_schema.views WHERE table_schema = 'tw' AND "
                                "table_name = '") +
                    view + "'"),
              "1")
        << view;
  }
  EXPECT_EQ(Count("pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                  "WHERE n.nspname = 'tw' AND p.prokind = 'f'"),
            "29");
  EXPECT_EQ(Count("pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                  "WHERE n.nspname = 'tw' AND p.prokind = 'p'"),
            "2");
  EXPECT_EQ(Count("twx_job WHERE last_run IS NOT NULL AND next_run > last_run"), "9");
  EXPECT_EQ(Count("twx_topn_past_day"), "10");
  EXPECT_EQ(Count("twx_topn_rule WHERE last_run IS NOT NULL"), "4");
  EXPECT_NE(Count("twx_hist_stat4"), "0");
  EXPECT_NE(Count("twx_usage_stat"), "0");
  EXPECT_NE(Count("twx_perf_data_summary"), "0");
  EXPECT_EQ(Count("twx_event WHERE create_time < now() - interval '30 days'"), "0");
  EXPECT_EQ(Count("twx_event_last"), Value("SELECT count(DISTINCT entity_id) FROM twx_event"));
  EXPECT_TRUE(ColumnExists("twx_file_system_mount_info", "capacity_mb"));
  EXPECT_EQ(Count("twx_image_store"), "1");

  // Every function and procedure that the jobs do not call on this inventory works too.
  database().Execute(
      "SELECT stats_rollup1_proc(), stats_rollup2_proc(), stats_rollup3_proc(), "
      "purge_stat2_proc(), purge_stat3_proc(), purge_usage_stats_proc(), "
      "twx_fill_usage_stats(), "
      "l_stats_rollup1_proc(7), l_stats_rollup2_proc(7), l_stats_rollup3_proc(7), "
      "cleanup_events_proc(10), process_performance_data(), "
      "calc_topn1_proc(), calc_topn2_proc(), calc_topn3_proc(), calc_topn4_proc(), "
      "rule_topn1_proc(), rule_topn2_proc(), rule_topn3_proc(), rule_topn4_proc(), "
      "clear_topn4_proc(); CALL l_purge_stat2_proc(5); CALL l_purge_stat3_proc(5)");
  EXPECT_EQ(Count("twx_topn_past_year"), "0");
  EXPECT_EQ(Value("SELECT rule_topn1_proc()"), "f");
}

TEST_F(DemoTest, BuildToBuildRunsOnlyWhatFollowsTheRecordedBuildAndThenNothingNew) {
  UpgradeFromFiveFifty();
  ASSERT_FALSE(HasFatalFailure());

  const ProgramRun first = Run({"-b", "600", "-s", "5310"});
  EXPECT_EQ(first.exitStatus, 0) << first.err;
  // A section before <5310/> would fail here: those changes are part of the full upgrade.
  EXPECT_EQ(first.err, "");
  const Lines out = first.OutLines();
  EXPECT_EQ(CountEqual(out, "Patch version: '5310'"), 1u);
  EXPECT_EQ(CountEqual(out, "Count of ORM objects: '1'"), 1u);
  EXPECT_EQ(CountMatching(out, R"(Found tag <5310/> at line \d+)"), 2u);
  EXPECT_EQ(CountMatching(out, R"(Last tag:5592Update command :UPDATE TWX_PATCH_VERSION SET )"
                               R"(CURRENT_VERSION = '5592';.*)"),
            2u);
  EXPECT_EQ(LaunchLines(out), (Lines{MaskedLaunch(600), MaskedLaunch(650)}));
  EXPECT_EQ(Value("SELECT initial_version || '|' || current_version FROM twx_patch_version"),
            "5310|5592");
  // Builds 5470 and 5592 of both tag files.
  EXPECT_TRUE(ColumnExists("twx_tag", "description"));
  EXPECT_EQ(Value("SELECT description FROM twx_tag WHERE name = 'production'"),
            "Workloads that serve customers");
  EXPECT_TRUE(ColumnExists("twx_job", "last_duration_ms"));
  EXPECT_TRUE(TableExists("twx_alarm_snooze"));
  EXPECT_EQ(Value("SELECT refresh_interval FROM twx_topn_rule WHERE topn_id = 1"), "00:05:00");

  const ProgramRun second = Run({"-b", "600", "-s", "5592"});
  EXPECT_EQ(second.exitStatus, 0) << second.err;
  EXPECT_EQ(second.err, "");
  const Lines again = second.OutLines();
  EXPECT_EQ(CountEqual(again, "Patch version: '5592'"), 1u);
  EXPECT_EQ(CountMatching(again, R"(Found tag <5592/> at line \d+)"), 2u);
  EXPECT_EQ(CountMatching(again, R"(Last tag:.*)"), 0u);
  EXPECT_EQ(LaunchLines(again), (Lines{MaskedLaunch(600), MaskedLaunch(650)}));
  EXPECT_EQ(Value("SELECT current_version FROM twx_patch_version"), "5592");
  EXPECT_EQ(Value("SELECT version_value FROM twx_version"), "700");

  EXPECT_EQ(LoggedLaunches(),
            (Lines{LoggedLaunch(550), LoggedLaunch(600), LoggedLaunch(650), LoggedLaunch(600),
                   LoggedLaunch(650), LoggedLaunch(600), LoggedLaunch(650)}));
}

}  // namespace
