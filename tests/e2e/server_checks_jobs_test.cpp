// The SQL Server Agent jobs check of a validation run with -e: the query as sent, the jobs it
// lists, and its own failures.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

/// The jobs query as it is meant to be sent, laid out for reading.
constexpr const char* kJobsQuery = R"(
SELECT distinct j.name
  FROM msdb.dbo.sysjobs j
  JOIN msdb.dbo.sysjobsteps t
       ON j.job_id = t.job_id
          AND t.database_name = db_name()
  LEFT JOIN msdb.dbo.sysjobs_view v
       ON v.name = j.name
 WHERE v.name IS NULL
)";

constexpr const char* kJobsHeader = "ERROR! The following jobs should be cleaned up:";

class JobsCheckTest : public ServerCheckTest {
 protected:
  /// A SQL Server that passes the version check and answers the jobs query with `jobs`.
  void UseJobs(const std::string& jobs) {
    UseMssql(MssqlRow(0, "12.0.2000.8 Standard Edition (64-bit); Compatibility Level 120"), jobs);
  }

  std::string SentQuery() {
    for (const std::string& statement : ExecutedStatements()) {
      if (statement.starts_with(kJobsQueryStart)) return statement;
    }
    return "(not sent)";
  }

  std::vector<std::string> CheckLines(bool executed) {
    if (!executed) return {"Validating MSSQL jobs...", "Validation completed."};
    return {"Validating MSSQL jobs...", "Executed: " + SentQuery(), "Validation completed."};
  }

  std::string FailureLine(const std::string& reason) {
    return "Error executing statement '" + SentQuery() + "', reason: " + reason;
  }
};

TEST_F(JobsCheckTest, NoJobPassesAndTheValidationGoesOn) {
  UseJobs(TextRows("name", {}));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string sent = SentQuery();
  EXPECT_EQ(sent.find('\n'), std::string::npos) << "sent as more than one line";
  EXPECT_EQ(CollapseBlanks(sent), CollapseBlanks(kJobsQuery));
  ExpectSection(run, CheckLines(true));
  EXPECT_EQ(run.err, "");
  // The jobs check comes after the permissions check; the schema validation follows it.
  const std::vector<std::string> statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(statements.begin() + 5, statements.begin() + 8),
            (std::vector<std::string>{kPermissionsQuery, sent, kFindingsQuery}));
  ExpectEveryStatementFreed();
}

TEST_F(JobsCheckTest, TwoJobsArePrintedUnderOneHeaderAndStopTheValidationRun) {
  UseJobs(TextRows("name", {"TWDB nightly purge", "TWDB statistics rollup"}));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines(true));
  EXPECT_LINES(run.ErrLines(), {kJobsHeader, "TWDB nightly purge", "TWDB statistics rollup"});
  // No further message, and no schema validation.
  for (const std::string& line : run.OutLines()) {
    EXPECT_NE(line, "Not supported source RDBMS version");
  }
  EXPECT_FALSE(Received(kFindingsQuery));
  EXPECT_FALSE(std::filesystem::exists(workDir() / "warnings.txt"));
  ExpectEveryStatementFreed();
}

TEST_F(JobsCheckTest, AFailingQueryIsReportedWithoutFailedLine) {
  UseJobs(Failure("42000", 229, "The SELECT permission was denied on the object 'sysjobs'."));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines(false));
  for (const std::string& line : run.OutLines()) EXPECT_NE(line, "failed.");
  EXPECT_LINES(run.ErrLines(),
               {FailureLine("Statement failure(rc=-1)."), SentQuery(), "^^^^^^^^^^", "",
                "1 [42000](229) The SELECT permission was denied on the object 'sysjobs'."});
  EXPECT_FALSE(Received(kFindingsQuery));
  ExpectEveryStatementFreed();
}

TEST_F(JobsCheckTest, AFailingFetchAfterAJobIsReportedAfterIt) {
  UseJobs(TextRows("name", {"TWDB nightly purge", "TWDB statistics rollup"}) + "  fetch-fail 2\n" +
          Diag("08S01", 10054, "Communication link failure"));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines(true));
  EXPECT_LINES(run.ErrLines(),
               {kJobsHeader, "TWDB nightly purge", FailureLine("Cannot fetch the result(rc=-1)."),
                "1 [08S01](10054) Communication link failure"});
  EXPECT_FALSE(Received(kFindingsQuery));
  ExpectEveryStatementFreed();
}

TEST_F(JobsCheckTest, AJobNameOf100CharactersIsPrintedWhole) {
  const std::string name = Repeat('j', 100);
  UseJobs(TextRows("name", {name}));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {kJobsHeader, name});
}

TEST_F(JobsCheckTest, AJobNameOf101CharactersIsReportedByTheCheck) {
  UseJobs(TextRows("name", {Repeat('j', 101), "TWDB nightly purge"}));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines(true));
  // The name is read before the header is written.
  EXPECT_LINES(run.ErrLines(), {FailureLine(kOverflowText)});
  EXPECT_FALSE(Received(kFindingsQuery));
  ExpectEveryStatementFreed();
}

TEST_F(JobsCheckTest, AFailedVersionCheckRunsNoJobsCheck) {
  UseMssql(MssqlRow(1, "9.00.5000.00 Standard Edition; Compatibility Level 90"),
           TextRows("name", {"TWDB nightly purge"}));
  const ProgramRun run = RunValidation("mssql");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(SentQuery(), "(not sent)");
  for (const std::string& line : run.OutLines()) EXPECT_NE(line, "Validating MSSQL jobs...");
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
