// Upgrade runs against the PostgreSQL test bed, with a fixture script for every PostgreSQL entry
// of the catalogue and the stand-in liftaide.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "support/output_match.h"

namespace upgrade_e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kScripts = "postgresql/scripts";
constexpr const char* kKindFolder = "postgresql";
constexpr int kStepBaseVersions[] = {550, 600, 650};

/// The build sections that each step's build-to-build file runs after the tag B1.
const std::map<int, Lines> kSectionsAfterB1 = {
    {600, {"600/b2b_PostgreSQL.sql@B2", "600/b2b_PostgreSQL.sql@B3"}},
    {650, {"650/b2b_PostgreSQL.sql@B2", "650/b2b_PostgreSQL.sql@B3", "650/b2b_PostgreSQL.sql@B4"}},
};

/// The labels that the fixture scripts of a list leave in upgrade_trace, in order.
Lines TraceLabels(int baseVersion, const Lines& entries, const Lines& tagSections) {
  Lines labels;
  for (const std::string& entry : entries) {
    if (entry.starts_with("tag:")) {
      labels.insert(labels.end(), tagSections.begin(), tagSections.end());
    } else {
      labels.push_back(std::to_string(baseVersion) + "/" + FileOf(entry));
    }
  }
  return labels;
}

/// The whole trace of a run from the source version: every step's scripts in catalogue order,
/// "reset" before each launch, and the reset of the run sequence at the end.
Lines ExpectedTrace(int sourceVersion, bool buildToBuild, bool launches) {
  Lines trace;
  for (const int baseVersion : kStepBaseVersions) {
    if (baseVersion < sourceVersion) continue;
    const Lines sections = buildToBuild ? kSectionsAfterB1.at(baseVersion) : Lines{};
    const Lines before = TraceLabels(
        baseVersion, StepEntries(baseVersion, DbType::postgresql, buildToBuild, false), sections);
    trace.insert(trace.end(), before.begin(), before.end());
    if (!launches) continue;
    trace.push_back("reset");
    const Lines after = TraceLabels(
        baseVersion, StepEntries(baseVersion, DbType::postgresql, buildToBuild, true), {});
    trace.insert(trace.end(), after.begin(), after.end());
  }
  trace.push_back("reset");
  return trace;
}

/// The "scriptFile : '...'" lines of a run from the source version.
Lines ExpectedScriptFileLines(int sourceVersion, bool buildToBuild, bool launches) {
  Lines lines;
  for (const int baseVersion : kStepBaseVersions) {
    if (baseVersion < sourceVersion) continue;
    for (const bool afterLaunch : {false, true}) {
      if (afterLaunch && !launches) continue;
      for (const std::string& entry :
           StepEntries(baseVersion, DbType::postgresql, buildToBuild, afterLaunch)) {
        lines.push_back("scriptFile : '" + PrintedPath(baseVersion, kKindFolder, entry) + "'");
      }
    }
  }
  return lines;
}

Lines SettingsLines(const std::string& version, const std::string& user = "tw",
                    const std::string& dsn = kTestDsn) {
  return {"Parsing command line arguments...",
          "Command line arguments parsed.",
          "DB type: 'PostgreSQL'",
          "DB user name: '" + user + "'",
          "Data Source Name: '" + dsn + "'",
          "twxd base version : '" + version + "'",
          "Connected to database. DSN='" + dsn + "' user='" + user + "'"};
}

/// Everything after the given line, that line excluded.
Lines LinesAfter(const Lines& lines, const std::string& line) {
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? Lines{} : Lines(found + 1, lines.end());
}

class UpgradePostgresTest : public UpgradeTest {
 protected:
  void SetUp() override {
    UpgradeTest::SetUp();
    TestDatabase& database = UsePostgres();
    std::ifstream schema(FixtureFolder() / "postgresql" / "base_schema.sql");
    database.Execute(std::string(std::istreambuf_iterator<char>(schema), {}));
    InstallScripts(kScripts);
    InstallLiftaide();
  }

  TestDatabase& database() { return UsePostgres(); }

  ProgramRun RunUpgradeFrom(int sourceVersion, const Lines& extra = {}) {
    Lines arguments = ConnectArguments();
    arguments.insert(arguments.end(), {"-b", std::to_string(sourceVersion)});
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunSchemalift(arguments);
  }

  Lines TraceRows() { return database().Query("SELECT script FROM upgrade_trace ORDER BY seq"); }

  Lines PatchVersion() {
    return database().Query("SELECT coalesce(current_version, '-') FROM twx_patch_version");
  }

  /// An ordinary run from the source version that completes: trace, printed paths, launches.
  void CheckCompleteRun(int sourceVersion) {
    const ProgramRun run = RunUpgradeFrom(sourceVersion);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(TraceRows(), ExpectedTrace(sourceVersion, false, true));
    const Lines out = run.OutLines();
    EXPECT_EQ(LinesStartingWith(out, "scriptFile : '"),
              ExpectedScriptFileLines(sourceVersion, false, true));
    Lines launches;
    Lines recorded;
    for (const int baseVersion : kStepBaseVersions) {
      if (baseVersion < sourceVersion) continue;
      launches.push_back(MaskedLaunchLine(baseVersion, kTestDsn, Testbed::Get().appUser));
      recorded.push_back(RecordedLaunch(baseVersion));
    }
    EXPECT_EQ(LaunchLines(out), launches);
    EXPECT_EQ(LiftaideRecord(), recorded);
    ASSERT_GE(out.size(), 10u);
    EXPECT_LINES(Lines(out.end() - 10, out.end()), Concat({ResetLines(), {"Exiting. Status=0"}}));
  }
};

TEST_F(UpgradePostgresTest, FromFiveFiftyRunsEveryStepInCatalogueOrder) {
  CheckCompleteRun(550);
}

TEST_F(UpgradePostgresTest, FromSixHundredRunsTheLastTwoSteps) {
  CheckCompleteRun(600);
}

TEST_F(UpgradePostgresTest, FromSixHundredOneRunsTheLastStep) {
  CheckCompleteRun(601);
}

TEST_F(UpgradePostgresTest, FromSixFiftyRunsTheLastStep) {
  CheckCompleteRun(650);
  // The scripts did their work: functions, views, jobs and rankings are in place.
  EXPECT_EQ(database().Query("SELECT count(*) FROM twx_job"), Lines{"9"});
  EXPECT_EQ(database().Query("SELECT count(*) FROM pg_proc WHERE proname LIKE '%topn%proc'"),
            Lines{"12"});
  EXPECT_EQ(database().Query("SELECT stats_rollup1_proc()"), Lines{"3"});
  EXPECT_EQ(database().Query("SELECT calc_topn1_proc()"), Lines{"3"});
  EXPECT_EQ(database().Query("SELECT metric FROM twx_v_topn WHERE period = 1 ORDER BY rank_no"),
            (Lines{"cpu", "mem", "disk"}));
  EXPECT_EQ(database().Query("SELECT count(*) FROM twx_orm_entity_2017"), Lines{"0"});
}

TEST_F(UpgradePostgresTest, FromSixFiftyFiveRunsNoStep) {
  const ProgramRun run = RunUpgradeFrom(655);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("655"), ResetLines(), {"Exiting. Status=0"}}));
  EXPECT_EQ(TraceRows(), Lines{"reset"});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(UpgradePostgresTest, SixSixtyIsRejected) {
  const ProgramRun run = RunUpgradeFrom(660);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: Incorrect Database Version: 660"});
  EXPECT_EQ(TraceRows(), Lines{});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(UpgradePostgresTest, PrintsThePathLinesAndTheMaskedLaunchLine) {
  const ProgramRun run = RunUpgradeFrom(600);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines out = run.OutLines();
  EXPECT_LINES(Lines(out.begin() + 7, out.begin() + 14),
               {"string path : '.'", "path : '.\\Upgrade-v2015-to-v2016\\postgresql\\'",
                "type : 'block'", "script : 'upgrade_PostgreSQL.sql'",
                "scriptFile : '.\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql'",
                "** .\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql **",
                "Executing SQL commands:"});
  EXPECT_LINES(
      LinesBetween(out, "Calling liftaide with the following command line:",
                   "path : '.\\Upgrade-v2016-to-v2017\\postgresql\\'"),
      Concat({{"Calling liftaide with the following command line:",
               MaskedLaunchLine(600, kTestDsn, Testbed::Get().appUser), "string path : '.'",
               "path : '.\\Upgrade-v2015-to-v2016\\postgresql\\'", "type : 'block'",
               "script : 'orm_PostgreSQL.sql'",
               "scriptFile : '.\\Upgrade-v2015-to-v2016\\postgresql\\orm_PostgreSQL.sql'",
               "** .\\Upgrade-v2015-to-v2016\\postgresql\\orm_PostgreSQL.sql **",
               "Executing SQL commands:", "{TS} - Executing: ",
               "-- Objects that the ORM layer of 2016 maps.",
               "CREATE TABLE IF NOT EXISTS twx_orm_entity_2016 (", "  id bigint PRIMARY KEY,",
               "  payload text", ")", "{TS} - Done."},
              Trace("INSERT INTO upgrade_trace (script) VALUES ('600/orm_PostgreSQL.sql')"),
              {"string path : '.'", "path : '.\\Upgrade-v2016-to-v2017\\postgresql\\'"}}));
  // The schema reset comes right before the launch.
  const auto launch =
      std::find(out.begin(), out.end(), "Calling liftaide with the following command line:");
  ASSERT_GE(launch - out.begin(), 9);
  EXPECT_LINES(Lines(launch - 9, launch), ResetLines());
}

TEST_F(UpgradePostgresTest, LiftaideFailureEndsTheRunAfterTheSchemaReset) {
  runOptions().environment["LIFTAIDE_EXIT"] = "2";
  const ProgramRun run = RunUpgradeFrom(600);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: 2"});
  EXPECT_LINES(LinesAfter(run.OutLines(), MaskedLaunchLine(600, kTestDsn, Testbed::Get().appUser)),
               Concat({ResetLines(), {"Exiting. Status=1"}}));
  EXPECT_EQ(TraceRows(), (Lines{"600/upgrade_PostgreSQL.sql", "reset", "reset"}));
  EXPECT_EQ(LiftaideRecord(), Lines{RecordedLaunch(600)});
}

TEST_F(UpgradePostgresTest, MissingLiftaideFailsWithMinusOne) {
  std::filesystem::remove(workDir() / "liftaide");
  const ProgramRun run = RunUpgradeFrom(650);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: -1"});
  EXPECT_LINES(LinesAfter(run.OutLines(), MaskedLaunchLine(650, kTestDsn, Testbed::Get().appUser)),
               Concat({ResetLines(), {"Exiting. Status=1"}}));
}

TEST_F(UpgradePostgresTest, LiftaideEndedBySignalFailsWithOneHundredTwentyEightPlusSignal) {
  runOptions().environment["LIFTAIDE_SIGNAL"] = "9";
  const ProgramRun run = RunUpgradeFrom(650);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: liftaide failed: 137"});
}

TEST_F(UpgradePostgresTest, ConsoleStaysInOrderAroundTheLaunch) {
  runOptions().environment["LIFTAIDE_ECHO"] = "1";
  const ProgramRun run = RunUpgradeFrom(650);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Lines out = run.OutLines();
  EXPECT_EQ(LinesStartingWith(out, "liftaide stand-in: "), Lines{"liftaide stand-in: 650"});
  const Lines afterLaunch =
      LinesAfter(out, MaskedLaunchLine(650, kTestDsn, Testbed::Get().appUser));
  ASSERT_FALSE(afterLaunch.empty());
  EXPECT_EQ(afterLaunch.front(), "liftaide stand-in: 650");
}

TEST_F(UpgradePostgresTest, EmptyUserNameLaunchesWithTheDsnOnly) {
  const Testbed& testbed = Testbed::Get();
  const std::string dsn = "TWDB nouser";
  odbcIni().AddDsn(dsn, "PostgreSQL Unicode",
                   {{"Servername", testbed.host},
                    {"Port", testbed.port},
                    {"Database", database().name()},
                    {"Username", testbed.appUser},
                    {"Password", testbed.appPassword}});
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-d", B64(dsn), "-u", "", "-p",
                                        B64(testbed.appPassword), "-y", "-b", "650"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const Lines out = run.OutLines();
  EXPECT_LINES(Lines(out.begin(), out.begin() + 7), SettingsLines("650", "", dsn));
  EXPECT_EQ(LaunchLines(out), Lines{MaskedLaunchLine(650, dsn, "")});
  EXPECT_EQ(LiftaideRecord(), Lines{"[650] [" + B64(dsn) + "]"});
  EXPECT_EQ(TraceRows(), ExpectedTrace(650, false, true));
}

TEST_F(UpgradePostgresTest, MissingScriptFileEndsTheRun) {
  std::filesystem::remove(workDir() /
                          "Upgrade-v2016-to-v2017/postgresql/calc_topn3_proc_PostgreSQL.sql");
  const ProgramRun run = RunUpgradeFrom(650);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(),
            Lines{"ERROR: Cannot open procedures definition file "
                  "'.\\Upgrade-v2016-to-v2017\\postgresql\\calc_topn3_proc_PostgreSQL.sql'."});
  EXPECT_LINES(
      LinesAfter(run.OutLines(),
                 "scriptFile : "
                 "'.\\Upgrade-v2016-to-v2017\\postgresql\\calc_topn3_proc_PostgreSQL.sql'"),
      {"Exiting. Status=1"});
  const Lines trace = TraceRows();
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back(), "650/calc_topn2_proc_PostgreSQL.sql");
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

TEST_F(UpgradePostgresTest, ScriptPathNamingAFolderEndsTheRunLikeAMissingFile) {
  const std::filesystem::path file =
      workDir() / "Upgrade-v2016-to-v2017/postgresql/TWDB_views_PostgreSQL.sql";
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  const ProgramRun run = RunUpgradeFrom(650);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(),
            Lines{"ERROR: Cannot open command script file "
                  "'.\\Upgrade-v2016-to-v2017\\postgresql\\TWDB_views_PostgreSQL.sql'."});
  EXPECT_EQ(TraceRows(), Lines{"650/upgrade_PostgreSQL.sql"});
}

TEST_F(UpgradePostgresTest, FailingBlockStatementIsReportedAndTheRunGoesOn) {
  InstallScripts("postgresql/failing_block");
  const ProgramRun run = RunUpgradeFrom(600);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const Lines err = run.ErrLines();
  ASSERT_GE(err.size(), 5u) << run.err;
  EXPECT_EQ(
      err[0],
      "Error while executing .\\Upgrade-v2015-to-v2016\\postgresql\\upgrade_PostgreSQL.sql:9, "
      "reason: Statement failure(rc=-1).");
  EXPECT_EQ(err[1], "INSERT INTO twx_no_such_table (x) VALUES (1)");
  EXPECT_EQ(err[2], "^^^^^^^^^^");
  EXPECT_EQ(err[3], "");
  EXPECT_TRUE(err[4].starts_with("1 [42P01]")) << err[4];
  Lines expected = ExpectedTrace(600, false, true);
  expected.erase(expected.begin());  // the failed script's own trace never ran
  EXPECT_EQ(TraceRows(), expected);
  EXPECT_EQ(LiftaideRecord(), (Lines{RecordedLaunch(600), RecordedLaunch(650)}));
}

class BuildToBuildPostgresTest : public UpgradePostgresTest {
 protected:
  void SetUp() override {
    UpgradePostgresTest::SetUp();
    // Build-to-build upgrades start from a database at the current release: an ordinary upgrade
    // from 650 brings it there.
    const ProgramRun release = RunUpgradeFrom(650);
    ASSERT_EQ(release.exitStatus, 0) << release.err;
    database().Execute("DELETE FROM upgrade_trace");
    std::filesystem::remove(RecordPath());
    database().Execute("INSERT INTO twx_patch_version (initial_version) VALUES ('B1')");
  }

  ProgramRun RunBuildToBuild(int sourceVersion) {
    return RunUpgradeFrom(sourceVersion, {"-s", "build"});
  }
};

TEST_F(BuildToBuildPostgresTest, WithoutOrmObjectsRunsTheTaggedListsOnlyAndResumesLater) {
  const ProgramRun run = RunBuildToBuild(600);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Lines out = run.OutLines();
  EXPECT_EQ(LinesStartingWith(out, "Patch version: "), Lines{"Patch version: 'B1'"});
  EXPECT_EQ(LinesStartingWith(out, "Count of ORM objects: "), Lines{"Count of ORM objects: '0'"});
  EXPECT_EQ(LaunchLines(out), Lines{});
  EXPECT_EQ(LiftaideRecord(), Lines{});
  EXPECT_EQ(LinesStartingWith(out, " GetBuildToBuildScripts  base ver  : '"),
            (Lines{" GetBuildToBuildScripts  base ver  : '600'",
                   " GetBuildToBuildScripts  base ver  : '650'"}));
  EXPECT_EQ(LinesStartingWith(out, "scriptFile : '"), ExpectedScriptFileLines(600, true, false));
  // The build-to-build file of step 600 starts with a byte-order mark and has CR LF line ends.
  EXPECT_LINES(LinesBetween(out, "** .\\Upgrade-v2015-to-v2016\\postgresql\\b2b_PostgreSQL.sql **",
                            "Starting from line: 2"),
               {"** .\\Upgrade-v2015-to-v2016\\postgresql\\b2b_PostgreSQL.sql **",
                "Ignoring SQL commands until tag appeareance: <B1/>", "Found tag <B1/> at line 1",
                "Executing SQL commands:", "Starting from line: 2"});
  EXPECT_LINES(LinesStartingWith(out, "Last tag:"),
               {"Last tag:B3Update command :UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = "
                "'B3';{TS} - Executing: ",
                "Last tag:B4Update command :UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = "
                "'B4';{TS} - Executing: "});
  EXPECT_EQ(TraceRows(), ExpectedTrace(600, true, false));
  EXPECT_EQ(PatchVersion(), Lines{"B4"});

  // A later build ships one more section; the next run starts after the recorded tag.
  std::ofstream(workDir() / "Upgrade-v2016-to-v2017/postgresql/b2b_PostgreSQL.sql", std::ios::app)
      << "ALTER TABLE twx_build_note ADD COLUMN IF NOT EXISTS author varchar(64)\n/\n"
         "INSERT INTO upgrade_trace (script) VALUES ('650/b2b_PostgreSQL.sql@B5')\n/\n<B5/>\n";
  database().Execute("DELETE FROM upgrade_trace");
  const ProgramRun second = RunBuildToBuild(600);
  EXPECT_EQ(second.exitStatus, 0) << second.err;
  const Lines secondOut = second.OutLines();
  EXPECT_EQ(LinesStartingWith(secondOut, "Patch version: "), Lines{"Patch version: 'B4'"});
  EXPECT_EQ(LinesStartingWith(secondOut, "Found tag "), Lines{"Found tag <B4/> at line 22"});
  EXPECT_EQ(LinesStartingWith(secondOut, "Starting from line: "),
            (Lines{"Starting from line: 14", "Starting from line: 23"}));
  Lines expected = {"650/b2b_PostgreSQL.sql@B5"};
  // The tag entry leaves no label of its own; the 36 entries after it run again.
  const Lines shared = TraceLabels(650, StepEntries(650, DbType::postgresql, true, false), {});
  expected.insert(expected.end(), shared.begin(), shared.end());
  expected.push_back("reset");
  EXPECT_EQ(TraceRows(), expected);
  EXPECT_EQ(PatchVersion(), Lines{"B5"});
}

TEST_F(BuildToBuildPostgresTest, WithAnOrmObjectLaunchesLiftaideAndRunsTheOrmScripts) {
  database().Execute("CREATE TABLE twx_file_system_mount_info (id integer)");
  const ProgramRun run = RunBuildToBuild(600);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const Lines out = run.OutLines();
  EXPECT_EQ(LinesStartingWith(out, "Count of ORM objects: "), Lines{"Count of ORM objects: '1'"});
  EXPECT_EQ(LinesStartingWith(out, "scriptFile : '"), ExpectedScriptFileLines(600, true, true));
  EXPECT_EQ(LiftaideRecord(), (Lines{RecordedLaunch(600), RecordedLaunch(650)}));
  EXPECT_EQ(TraceRows(), ExpectedTrace(600, true, true));
  EXPECT_EQ(PatchVersion(), Lines{"B4"});
}

TEST_F(BuildToBuildPostgresTest, FromFiveFiftyFailsBeforeAnyScript) {
  const ProgramRun run = RunBuildToBuild(550);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.ErrLines(), Lines{"ERROR: GetBuildToBuildScripts() Invalid base version."});
  const Lines out = run.OutLines();
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(Lines(out.end() - 2, out.end()),
            (Lines{" GetBuildToBuildScripts  base ver  : '550'", "Exiting. Status=1"}));
  EXPECT_EQ(TraceRows(), Lines{});
  EXPECT_EQ(PatchVersion(), Lines{"-"});
}

}  // namespace
}  // namespace upgrade_e2e
