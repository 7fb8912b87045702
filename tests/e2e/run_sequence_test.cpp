// The run around the mode work: the mandatory version, the schema-hash reset, the two error
// levels and the build-to-build probes.
#include <gtest/gtest.h>

#include <regex>

#include "e2e/e2e_fixture.h"
#include "support/output_match.h"

namespace {

constexpr const char* kSchemaHashTables =
    "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
    "CREATE TABLE TWX_SCHEMA_HASH (x int); INSERT INTO TWX_TABLE VALUES (1), (2); "
    "INSERT INTO TWX_SCHEMA_HASH VALUES (3);";

std::vector<std::string> SettingsLines(const std::string& version) {
  return {"Parsing command line arguments...",
          "Command line arguments parsed.",
          "DB type: 'PostgreSQL'",
          "DB user name: 'tw'",
          "Data Source Name: 'TWDB test'",
          "twxd base version : '" + version + "'",
          "Connected to database. DSN='TWDB test' user='tw'"};
}

std::vector<std::string> ResetLines() {
  return {"{TS} - Executing: ", "DELETE FROM TWX_TABLE",        "{TS} - Done.",
          "{TS} - Executing: ", "DELETE FROM TWX_INDEX_COLUMN", "{TS} - Done.",
          "{TS} - Executing: ", "DELETE FROM TWX_SCHEMA_HASH",  "{TS} - Done."};
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class RunSequenceTest : public E2eTest {
 protected:
  ProgramRun RunWith(std::vector<std::string> extra) {
    std::vector<std::string> arguments = ConnectArguments();
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunSchemalift(arguments);
  }
};

TEST_F(RunSequenceTest, RefusesToGoOnWithoutTheVersionOption) {
  UsePostgres();
  const ProgramRun run = RunWith({});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("650"), UsageLines()}));
  EXPECT_LINES(run.ErrLines(), {"ERROR: Version option is mandatory!"});
}

TEST_F(RunSequenceTest, UpgradeWithoutApplicableStepOnlyResetsTheSchemaHash) {
  TestDatabase& database = UsePostgres();
  database.Execute(kSchemaHashTables);
  const ProgramRun run = RunWith({"-b", "655"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(),
               Concat({SettingsLines("655"), ResetLines(), {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(database.Query("SELECT count(*) FROM TWX_TABLE"), std::vector<std::string>{"0"});
  EXPECT_EQ(database.Query("SELECT count(*) FROM TWX_SCHEMA_HASH"), std::vector<std::string>{"0"});
}

TEST_F(RunSequenceTest, AStatementFailureEndsTheRunThroughTheInnerErrorLevel) {
  UsePostgres();  // no TWX_TABLE
  const ProgramRun run = RunWith({"-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({SettingsLines("655"),
                                       {"{TS} - Executing: ", "DELETE FROM TWX_TABLE",
                                        "Exiting. Status=1"}}));
  const std::vector<std::string> err = run.ErrLines();
  // The driver's message carries a line break of its own.
  ASSERT_EQ(err.size(), 6u) << run.err;
  EXPECT_EQ(err[0], "ERROR: Statement failure(rc=-1).");
  EXPECT_EQ(err[1], "DELETE FROM TWX_TABLE");
  EXPECT_EQ(err[2], "^^^^^^^^^^");
  EXPECT_EQ(err[3], "");
  EXPECT_EQ(err[4], "1 [42P01](1) ERROR: relation \"twx_table\" does not exist;");
  EXPECT_EQ(err[5], "Error while executing the query");
}

class BuildToBuildProbeTest : public RunSequenceTest {
 protected:
  std::vector<std::string> ProbeLines(const ProgramRun& run) {
    std::vector<std::string> probes;
    for (const std::string& line : run.OutLines()) {
      if (line.starts_with("Patch version: ") || line.starts_with("Count of ORM objects: ") ||
          line == "Build to build mode.") {
        probes.push_back(line);
      }
    }
    return probes;
  }
};

TEST_F(BuildToBuildProbeTest, ReadsThePatchVersionAndTheOrmObjectCount) {
  TestDatabase& database = UsePostgres();
  database.Execute(kSchemaHashTables);
  database.Execute(
      "CREATE TABLE TWX_PATCH_VERSION (INITIAL_VERSION varchar(100), CURRENT_VERSION "
      "varchar(100)); INSERT INTO TWX_PATCH_VERSION VALUES ('B0', 'B7');"
      "CREATE TABLE tw.TWX_FILE_SYSTEM_MOUNT_INFO (x int);");
  const ProgramRun run = RunWith({"-b", "655", "-s", "ignored"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ProbeLines(run), (std::vector<std::string>{"Build to build mode.",
                                                       "Patch version: 'B7'",
                                                       "Count of ORM objects: '1'"}));
}

TEST_F(BuildToBuildProbeTest, FallsBackToTheInitialVersion) {
  TestDatabase& database = UsePostgres();
  database.Execute(kSchemaHashTables);
  database.Execute(
      "CREATE TABLE TWX_PATCH_VERSION (INITIAL_VERSION varchar(100), CURRENT_VERSION "
      "varchar(100)); INSERT INTO TWX_PATCH_VERSION VALUES ('B0', NULL);");
  const ProgramRun run = RunWith({"-b", "655", "-s", "x"});
  EXPECT_EQ(ProbeLines(run), (std::vector<std::string>{"Build to build mode.",
                                                       "Patch version: 'B0'",
                                                       "Count of ORM objects: '0'"}));
}

TEST_F(BuildToBuildProbeTest, WithoutThePatchTableThePatchVersionIsEmptyAndQuiet) {
  TestDatabase& database = UsePostgres();
  database.Execute(kSchemaHashTables);
  const ProgramRun run = RunWith({"-b", "655", "-s", "B1"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ProbeLines(run), (std::vector<std::string>{"Build to build mode.", "Patch version: ''",
                                                       "Count of ORM objects: '0'"}));
  EXPECT_EQ(run.err, "");
}

TEST_F(BuildToBuildProbeTest, AnEmptyTagMeansPlainUpgradeMode) {
  TestDatabase& database = UsePostgres();
  database.Execute(kSchemaHashTables);
  const ProgramRun run = RunWith({"-b", "655", "-s", ""});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ProbeLines(run), std::vector<std::string>{"Build to build mode."});
}

}  // namespace

namespace {

TEST_F(RunSequenceTest, AFailingSettingsDiscoveryEndsThroughTheOuterErrorLevelWithStatusOne) {
  // No -d, and no configuration file or settings file to read the DSN from.
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-y", "-b", "600"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(),
               {"Parsing command line arguments...", "Command line arguments parsed."});
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: An application exception occured: Error occured while reading settings "
                "from registry key SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB"});
}

}  // namespace
