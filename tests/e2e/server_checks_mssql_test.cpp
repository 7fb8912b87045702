// The SQL Server version check of a validation run with -e: the function that it creates, queries
// and drops, the one finding line of each failure mask, and its own failures.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

/// The validation function as it is meant to be sent, laid out for reading; the amount of blank
/// space carries no meaning.
constexpr const char* kCreateFunction = R"(
CREATE FUNCTION schemalift_mssql_validate()
RETURNS @tbl TABLE(server_version INT, ver_comp VARCHAR(200))
AS
BEGIN
INSERT @tbl
SELECT SUM(server_version) as server_version,
       MAX(ver) + '; Compatibility Level ' + MAX(comp) as ver_comp
  FROM (
        SELECT COUNT(0) as server_version,
               CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) + ' '
               + CAST(SERVERPROPERTY('Edition') AS varchar(30)) as ver,
               '' as comp
          FROM (
                SELECT CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) ProductVersion,
                       CAST(SERVERPROPERTY('Edition') AS varchar(30)) Edition) db_serv
         WHERE REPLACE(ProductVersion, '.0.', '.00.') <
               (CASE
                    WHEN ProductVersion LIKE '12.%' THEN '12.00.2000'
                    WHEN ProductVersion LIKE '10.%' THEN '10.50.2500'
                    ELSE '11.00.2100.60'
                END)
            OR (Edition NOT LIKE 'Standard%' AND
                Edition NOT LIKE 'Enterprise%' AND
                Edition NOT LIKE 'Express%' AND
                Edition NOT LIKE 'Data_Center%')
        UNION ALL
        SELECT CASE
                   WHEN compatibility_level < 100 THEN CAST(2 AS INT)
                   ELSE CAST(0 AS INT)
               END as server_version,
               '' as ver,
               CAST(compatibility_level AS VARCHAR(3)) as comp
          FROM sys.databases
         WHERE name = db_name()
        UNION ALL
        SELECT COUNT(0) * 4 as server_version,
               '' as ver,
               '' as comp
          FROM sys.database_mirroring
         WHERE database_id = db_id()
           AND mirroring_state IS NOT NULL) AS tbl_check;
RETURN;
END;
)";

constexpr const char* kVersionText =
    "10.50.1600.1 Workgroup Edition (64-bit); Compatibility Level 90";

class MssqlServerCheckTest : public ServerCheckTest {
 protected:
  /// The CREATE FUNCTION statement as the driver received it.
  std::string SentCreate() {
    for (const std::string& statement : ExecutedStatements()) {
      if (statement.starts_with(kCreateFunctionStart)) return statement;
    }
    return "(not sent)";
  }

  /// The check's lines on standard output when the query ran, and the line after them.
  std::vector<std::string> CheckLines(const std::string& followUp) {
    return Concat({{"Validating MSSQL version..."},
                   Trace(SentCreate()),
                   {std::string("Executed: ") + kValidationQuery},
                   Trace(kDropFunction),
                   {"Validation completed.", followUp}});
  }

  static std::vector<std::string> GuardStatements() {
    return {kDatabaseNameQuery, kAlterPermissionQuery};
  }
};

TEST_F(MssqlServerCheckTest, CreatesQueriesAndDropsTheFunctionAndPasses) {
  UseMssql(MssqlRow(0, "12.0.2000.8 Standard Edition (64-bit); Compatibility Level 120"));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string sent = SentCreate();
  EXPECT_EQ(sent.find('\n'), std::string::npos) << "sent as more than one line";
  EXPECT_EQ(CollapseBlanks(sent), CollapseBlanks(kCreateFunction));
  const std::vector<std::string> lines = CheckLines("");
  const std::vector<std::string> section = Section(run, "Validating MSSQL version...", 10);
  EXPECT_LINES(std::vector<std::string>(section.begin(), section.begin() + 9),
               std::vector<std::string>(lines.begin(), lines.begin() + 9));
  ASSERT_EQ(section.size(), 10u);
  EXPECT_NE(section[9], "Not supported source RDBMS version");
  EXPECT_EQ(run.err, "");
  // The permissions and jobs checks follow.
  const std::vector<std::string> statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(statements.begin(), statements.begin() + 7),
            Concat({GuardStatements(),
                    {sent, kValidationQuery, kDropFunction, kPermissionsQuery, statements[6]}}));
  EXPECT_TRUE(statements[6].starts_with(kJobsQueryStart)) << statements[6];
  ExpectEveryStatementFreed();
}

struct MaskCase {
  int mask;
  std::vector<std::string> err;
};

void PrintTo(const MaskCase& maskCase, std::ostream* out) {
  *out << maskCase.mask;
}

class MssqlMaskTest : public MssqlServerCheckTest,
                      public ::testing::WithParamInterface<MaskCase> {};

TEST_P(MssqlMaskTest, PrintsOneFindingLineAndFailsTheCheck) {
  UseMssql(MssqlRow(GetParam().mask, kVersionText));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines("Not supported source RDBMS version"));
  EXPECT_LINES(run.ErrLines(), GetParam().err);
  // The function is dropped; no permissions, jobs or schema validation follow.
  EXPECT_TRUE(Received(kDropFunction));
  EXPECT_FALSE(Received(kPermissionsQuery));
  EXPECT_FALSE(Received(kFindingsQuery));
  ExpectEveryStatementFreed();
}

const std::string kWrongVersion = std::string("ERROR: wrong-version MSSQL -> ") + kVersionText;
const std::string kWrongCompatibility =
    std::string("ERROR: wrong-compatibility MSSQL -> ") + kVersionText;

INSTANTIATE_TEST_SUITE_P(
    Masks, MssqlMaskTest,
    ::testing::Values(MaskCase{1, {kWrongVersion}}, MaskCase{2, {kWrongCompatibility}},
                      MaskCase{3, {kWrongVersion}}, MaskCase{4, {"ERROR: error-mirroring MSSQL"}},
                      MaskCase{5, {kWrongVersion}}, MaskCase{6, {kWrongCompatibility}},
                      MaskCase{7, {kWrongVersion}},
                      // No bit that the check knows: it fails without a line.
                      MaskCase{8, {}}));

TEST_F(MssqlServerCheckTest, NoRowFailsTheCheckWithoutALine) {
  UseMssql("  columns server_version:int ver_comp:text\n");
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines("Not supported source RDBMS version"));
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(Received(kPermissionsQuery));
}

TEST_F(MssqlServerCheckTest, ANullMaskPasses) {
  UseMssql(MssqlRow(std::nullopt, kVersionText));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Received(kPermissionsQuery));
}

TEST_F(MssqlServerCheckTest, AFailingQueryIsReportedAndTheFunctionStillDropped) {
  UseMssql(Failure("42000", 229, "The SELECT permission was denied on the object."));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, Concat({{"Validating MSSQL version..."},
                             Trace(SentCreate()),
                             {"failed."},
                             Trace(kDropFunction),
                             {"Validation completed.", "Not supported source RDBMS version"}}));
  EXPECT_LINES(run.ErrLines(),
               Concat({{std::string("Error executing statement '") + kValidationQuery +
                        "', reason: Statement failure(rc=-1)."},
                       {kValidationQuery, "^^^^^^^^^^", "",
                        "1 [42000](229) The SELECT permission was denied on the object."}}));
  const std::vector<std::string> statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(statements.begin() + 3, statements.begin() + 5),
            (std::vector<std::string>{kValidationQuery, kDropFunction}));
  ExpectEveryStatementFreed();
}

TEST_F(MssqlServerCheckTest, AFailingFetchIsReportedAfterTheExecutedLine) {
  UseMssql("  columns server_version:int ver_comp:text\n  fetch-fail 1\n" +
           Diag("08S01", 10054, "Communication link failure"));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, Concat({{"Validating MSSQL version..."},
                             Trace(SentCreate()),
                             {std::string("Executed: ") + kValidationQuery, "failed."},
                             Trace(kDropFunction),
                             {"Validation completed.", "Not supported source RDBMS version"}}));
  EXPECT_LINES(run.ErrLines(), {std::string("Error executing statement '") + kValidationQuery +
                                    "', reason: Cannot fetch the result(rc=-1).",
                                "1 [08S01](10054) Communication link failure"});
}

TEST_F(MssqlServerCheckTest, AVersionTextOf100CharactersIsPrintedWhole) {
  const std::string text = Repeat('v', 100);
  UseMssql(MssqlRow(1, text));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_LINES(run.ErrLines(), {"ERROR: wrong-version MSSQL -> " + text});
}

TEST_F(MssqlServerCheckTest, AVersionTextOf101CharactersFailsTheCheckEvenWhenItPassed) {
  // The text is read before the mask is looked at.
  UseMssql(MssqlRow(0, Repeat('v', 101)));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, Concat({{"Validating MSSQL version..."},
                             Trace(SentCreate()),
                             {std::string("Executed: ") + kValidationQuery, "failed."},
                             Trace(kDropFunction),
                             {"Validation completed.", "Not supported source RDBMS version"}}));
  EXPECT_LINES(run.ErrLines(), {std::string("Error executing statement '") + kValidationQuery +
                                "', reason: " + kOverflowText});
  EXPECT_TRUE(Received(kDropFunction));
  ExpectEveryStatementFreed();
}

TEST_F(MssqlServerCheckTest, AFailingCreateEndsTheRun) {
  UseMssql(MssqlRow(0, kVersionText), TextRows("name", {}),
           Failure("42S01", 2714,
                   "There is already an object named 'schemalift_mssql_validate' in the "
                   "database."));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 4u);
  EXPECT_LINES(
      std::vector<std::string>(out.end() - 4, out.end()),
      {"Validating MSSQL version...", "{TS} - Executing: ", SentCreate(), "Exiting. Status=1"});
  EXPECT_LINES(run.ErrLines(), Report("ERROR: Statement failure(rc=-1).", SentCreate(),
                                      "1 [42S01](2714) There is already an object named "
                                      "'schemalift_mssql_validate' in the database."));
  // Nothing after it; the function of the earlier run is not dropped.
  EXPECT_EQ(ExecutedStatements(),
            Concat({GuardStatements(), {SentCreate()}, {kAlterPermissionQuery}}));
  ExpectEveryStatementFreed();
}

TEST_F(MssqlServerCheckTest, AFailingDropEndsTheRun) {
  UseMssql(MssqlRow(0, kVersionText), TextRows("name", {}), "  ok\n",
           Failure("42000", 3701, "Cannot drop the function."));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 4u);
  EXPECT_LINES(std::vector<std::string>(out.end() - 4, out.end()),
               {std::string("Executed: ") + kValidationQuery, "{TS} - Executing: ", kDropFunction,
                "Exiting. Status=1"});
  EXPECT_LINES(run.ErrLines(), Report("ERROR: Statement failure(rc=-1).", kDropFunction,
                                      "1 [42000](3701) Cannot drop the function."));
  EXPECT_EQ(ExecutedStatements(),
            Concat({GuardStatements(),
                    {SentCreate(), kValidationQuery, kDropFunction, kAlterPermissionQuery}}));
}

TEST_F(MssqlServerCheckTest, SkippedServerChecksSendNoFunction) {
  UseMssql(MssqlRow(1, kVersionText));
  const ProgramRun run = RunScripted("mssql", {"-v", "warnings.txt", "-e", "-m", "-b", "550"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(SentCreate(), "(not sent)");
  EXPECT_FALSE(Received(kValidationQuery));
  EXPECT_TRUE(Received(kPermissionsQuery));
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
