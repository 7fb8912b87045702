// Validation mode on PostgreSQL: the validation scripts, the warnings file, the findings table
// and the fixed order of the checks after them.
#include <gtest/gtest.h>

#include <fstream>

#include "e2e/validation_e2e.h"
#include "support/output_match.h"

namespace validation_e2e {
namespace {

using ValidationRunTest = ValidationTest;

std::vector<std::string> FailureReport(const std::string& title, const std::string& statement,
                                       const std::string& firstLinePrefix = "") {
  return {firstLinePrefix + title + "(rc=-1).", statement, "^^^^^^^^^^", ""};
}

TEST_F(ValidationRunTest, ACleanDatabaseRunsTheScriptsStoresNothingAndRunsEveryCheckInOrder) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                       SeededScriptLines("650"),
                                       Trace(kDropFindings),
                                       CleanChecksLines("650"),
                                       {"Exiting. Status=0"}}));
  EXPECT_EQ(run.err, "");
  ASSERT_TRUE(std::filesystem::exists(WarningsPath()));
  EXPECT_EQ(std::filesystem::file_size(WarningsPath()), 0u);
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, WritesOneLinePerFindingInTableOrderWithNullAsAnEmptyLine) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings(
      {"Table TWX_A misses index IX_1", std::nullopt, "", "  blanks kept  ", "last: it's quoted"});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(WarningsPath()),
            "Table TWX_A misses index IX_1\n\n\n  blanks kept  \nlast: it's quoted\n");
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, TruncatesAnExistingWarningsFile) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"new"});
  temp().WriteFile("work/warnings.txt", "an older and much longer content\nsecond line\n");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "new\n");
}

TEST_F(ValidationRunTest, AnEmptyFindingsTableEmptiesAnExistingWarningsFile) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  temp().WriteFile("work/warnings.txt", "stale finding\n");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ASSERT_TRUE(std::filesystem::exists(WarningsPath()));
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "");
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, AFindingOf2500BytesIsWrittenWhole) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  const std::string longest = Repeat('a', 2499) + "z";
  SeedFindings({"first", longest, "third"});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "first\n" + longest + "\nthird\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(ValidationRunTest, ALongerFindingStopsTheStoringButKeepsEarlierLinesAndDropsTheTable) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"first", "second", Repeat('b', 2501), "never stored"});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "first\nsecond\n");
  EXPECT_LINES(run.ErrLines(), {std::string("Error storing '") + kFindingsQuery +
                                "' into file. Reason: " + kOverflowText});
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                       SeededScriptLines("650"),
                                       Trace(kDropFindings),
                                       CleanChecksLines("650"),
                                       {"Exiting. Status=0"}}));
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, WithoutAFindingsTableTheDropFailsAndEndsTheRunWithStatusOne) {
  UseInventoryDatabase();
  InstallScripts("no_findings_table");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 1);
  const std::string folder = ".\\Upgrade-v2016-to-v2017\\postgresql\\";
  EXPECT_LINES(
      run.OutLines(),
      Concat({ValidationStartLines("650"),
              {"** " + folder + "validate_schema_PostgreSQL.sql **", "Executing SQL commands:"},
              Trace("SELECT 1"),
              {"** " + folder + "validate_PostgreSQL.sql **", "Executing SQL commands:"},
              Trace("SELECT 2"),
              {"{TS} - Executing: ", kDropFindings, "Exiting. Status=1"}}));
  const std::vector<std::string> err = run.ErrLines();
  constexpr std::size_t kReportLines = 4 + kMissingRelationRecordLines;
  ASSERT_EQ(err.size(), 2 * kReportLines) << run.err;
  const std::vector<std::string> storing = {err.begin(), err.begin() + 4};
  EXPECT_LINES(storing, FailureReport("Statement failure", kFindingsQuery,
                                      std::string("Error storing '") + kFindingsQuery +
                                          "' into file. Reason: "));
  ExpectMissingRelationRecord(err, 4, "twx_preupgrade_verification");
  const std::vector<std::string> dropping = {err.begin() + kReportLines,
                                             err.begin() + kReportLines + 4};
  EXPECT_LINES(dropping, FailureReport("Statement failure", kDropFindings, "ERROR: "));
  ExpectMissingRelationRecord(err, kReportLines + 4, "twx_preupgrade_verification");
  // The file was opened before the query failed.
  ASSERT_TRUE(std::filesystem::exists(WarningsPath()));
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "");
}

TEST_F(ValidationRunTest, ASourceVersionWithoutStepStopsBeforeTheScriptsAndTheChecks) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  const ProgramRun run = RunValidation("warnings.txt", "560");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("560"), {"Exiting. Status=1"}}));
  EXPECT_LINES(run.ErrLines(), {"ERROR: GetScriptFolder() Invalid base version."});
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationRunTest, AMissingValidationScriptEndsTheRun) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  std::filesystem::remove(workDir() / "Upgrade-v2016-to-v2017" / "postgresql" /
                          "validate_PostgreSQL.sql");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 1);
  const std::string folder = ".\\Upgrade-v2016-to-v2017\\postgresql\\";
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open block command script file '" + folder +
                                "validate_PostgreSQL.sql'."});
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationRunTest, TheSourceVersionSelectsTheStepFolderOfTheScripts) {
  for (const std::string version : {"550", "600"}) {
    SCOPED_TRACE(version);
    UseInventoryDatabase();
    InstallScripts("seeded", version);
    const ProgramRun run = RunValidation("warnings.txt", version);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines(version),
                                         SeededScriptLines(version),
                                         Trace(kDropFindings),
                                         CleanChecksLines(version),
                                         {"Exiting. Status=0"}}));
    UsePostgres().Execute(
        "DROP TABLE IF EXISTS TWX_ENTITY, TWX_DVS, TWX_DVPORTGROUP, "
        "TWX_VM_CONFIG_INFO, TWX_HOST, TWX_PROFILE, SEEDED_FINDINGS");
  }
}

TEST_F(ValidationRunTest, AWarningsFilePathWithBackslashesIsOpenedWithSlashes) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"found"});
  std::filesystem::create_directories(workDir() / "reports" / "today");
  const ProgramRun run = RunValidation("reports\\today\\warnings.txt");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(workDir() / "reports" / "today" / "warnings.txt"), "found\n");
}

TEST_F(ValidationRunTest, ExternalDatabaseOnPostgresqlSkipsTheServerAndPermissionsChecks) {
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{"-e"}, std::vector<std::string>{"-e", "-m"}}) {
    SCOPED_TRACE(extra.size());
    UseInventoryDatabase();
    InstallScripts("seeded");
    SeedFindings({"found"});
    const ProgramRun run = RunValidation("warnings.txt", "650", extra);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                         SeededScriptLines("650"),
                                         Trace(kDropFindings),
                                         CleanChecksLines("650"),
                                         {"Exiting. Status=0"}}));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadWholeFile(WarningsPath()), "found\n");
    UsePostgres().Execute(
        "DROP TABLE IF EXISTS TWX_ENTITY, TWX_DVS, TWX_DVPORTGROUP, "
        "TWX_VM_CONFIG_INFO, TWX_HOST, TWX_PROFILE, SEEDED_FINDINGS");
  }
}

TEST_F(ValidationRunTest, AFailingStatementInAValidationScriptIsReportedAndTheRunGoesOn) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"found"});
  temp().WriteFile("work/Upgrade-v2016-to-v2017/postgresql/validate_schema_PostgreSQL.sql",
                   "CREATE TABLE TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE text)\n/\n"
                   "SELECT * FROM NO_SUCH_TABLE\n/\nSELECT 3\n/\n");
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_EQ(err.size(), 4 + kMissingRelationRecordLines) << run.err;
  EXPECT_LINES(std::vector<std::string>(err.begin(), err.begin() + 4),
               FailureReport("Statement failure", "SELECT * FROM NO_SUCH_TABLE",
                             "Error while executing .\\Upgrade-v2016-to-v2017\\postgresql\\"
                             "validate_schema_PostgreSQL.sql:4, reason: "));
  ExpectMissingRelationRecord(err, 4, "no_such_table");
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "found\n");
  EXPECT_FALSE(FindingsTableExists());
}

// The warnings file is how the installer learns what stands in the way of an upgrade: a file
// that cannot be written is reported and fails the run, after the whole sequence has run.

TEST_F(ValidationRunTest, AWarningsFileThatCannotBeOpenedIsReportedAndFailsTheRun) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"found"});
  const ProgramRun run = RunValidation("missing\\warnings.txt");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open the warnings output file "
                                "'missing\\warnings.txt'. Reason: No such file or directory"});
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                       SeededScriptLines("650"),
                                       Trace(kDropFindings),
                                       CleanChecksLines("650"),
                                       {"Exiting. Status=1"}}));
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, AWarningsFileThatCannotBeWrittenIsReportedAndFailsTheRun) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"first", "second"});
  const ProgramRun run = RunValidation("/dev/full");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot write the warnings output file '/dev/full'. "
                                "Reason: No space left on device"});
  EXPECT_LINES(run.OutLines(), Concat({ValidationStartLines("650"),
                                       SeededScriptLines("650"),
                                       Trace(kDropFindings),
                                       CleanChecksLines("650"),
                                       {"Exiting. Status=1"}}));
  EXPECT_FALSE(FindingsTableExists());
}

TEST_F(ValidationRunTest, AnUnwritableWarningsFileAndAFailedReadAreBothReported) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"first", Repeat('c', 3000)});
  const ProgramRun run = RunValidation("/dev/full");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot write the warnings output file '/dev/full'. "
                                "Reason: No space left on device",
                                std::string("Error storing '") + kFindingsQuery +
                                    "' into file. Reason: " + kOverflowText});
  EXPECT_FALSE(FindingsTableExists());
}

}  // namespace
}  // namespace validation_e2e
