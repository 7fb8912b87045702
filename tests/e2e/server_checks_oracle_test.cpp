// The Oracle version check of a validation run with -e: the query as sent, its finding line, and
// its own failures.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

/// The version query as it is meant to be sent, laid out for reading; the amount of blank space
/// carries no meaning.
constexpr const char* kOracleQuery = R"(
WITH req AS (
                SELECT prod_prefix, prod_release, edition, version, patch_level
                FROM (
                       SELECT 'Oracle Database' AS prod_prefix
                       FROM DUAL
                     ) prefix,
                     (
                       SELECT '11g' AS prod_release,
                              '11.2.0.' AS version,
                              '3' AS patch_level
                       FROM DUAL
                       UNION ALL
                       SELECT '12c' AS prod_release,
                              '12.1.0.' AS version,
                              '' AS patch_level
                       FROM DUAL
                     ) srv_release,
                     (
                       SELECT 'Standard' AS edition
                       FROM DUAL
                       UNION ALL
                       SELECT 'Enterprise' AS edition
                       FROM DUAL
                     ) srv_edition
            )
            SELECT COUNT(0) AS server_version,
                   MAX(product) || ' ' || MAX(version)
            FROM (
                   SELECT product, version,
                          DECODE(INSTR(product, 'Enterprise'),
                                 0, DECODE(INSTR(product, 'Personal'),
                                           0, DECODE(INSTR(product, 'Express'),
                                              0, 'Standard',
                                              'Express'),
                                           'Personal'),
                                 'Enterprise') AS edition
                   FROM product_component_version
                   WHERE product LIKE '%Oracle Database%'
                 ) pcv
            WHERE NOT EXISTS (
                   SELECT 1
                   FROM req
                   WHERE pcv.product LIKE (req.prod_prefix || ' ' || req.prod_release || '%')
                     AND pcv.edition = req.edition
                     AND pcv.version LIKE (req.version || '%')
                     AND pcv.version >= (req.version || NVL(req.patch_level, '0'))
                   )
)";

constexpr const char* kProductText =
    "Oracle Database 11g Enterprise Edition Release 11.2.0.2.0 - 64bit Production 11.2.0.2.0";

class OracleServerCheckTest : public ServerCheckTest {
 protected:
  std::string SentQuery() {
    for (const std::string& statement : ExecutedStatements()) {
      if (statement.starts_with(kOracleQueryStart)) return statement;
    }
    return "(not sent)";
  }

  /// The check's lines when the query ran, and the line after them.
  std::vector<std::string> CheckLines(const std::vector<std::string>& after) {
    return Concat({{"Validating Oracle version..."}, Trace(SentQuery()), after});
  }

  std::string FailureLine(const std::string& reason) {
    return "Error executing statement '" + SentQuery() + "', reason: " + reason;
  }
};

TEST_F(OracleServerCheckTest, ACountOfZeroPassesAndTheQueryIsSentAsWritten) {
  UseOracle(OracleRow(0, kProductText));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::string sent = SentQuery();
  EXPECT_EQ(sent.find('\n'), std::string::npos) << "sent as more than one line";
  EXPECT_EQ(CollapseBlanks(sent), CollapseBlanks(kOracleQuery));
  const std::vector<std::string> section = Section(run, "Validating Oracle version...", 6);
  ASSERT_EQ(section.size(), 6u);
  EXPECT_LINES(std::vector<std::string>(section.begin(), section.begin() + 5),
               CheckLines({"Validation completed."}));
  EXPECT_NE(section[5], "Not supported source RDBMS version");
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> statements = ExecutedStatements();
  ASSERT_GE(statements.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(statements.begin(), statements.begin() + 2),
            (std::vector<std::string>{sent, kPermissionsQuery}));
  EXPECT_FALSE(Received("SELECT distinct j.name")) << "Oracle has no jobs check";
  ExpectEveryStatementFreed();
}

TEST_F(OracleServerCheckTest, ACountOfOnePrintsTheProductAndVersionAndFails) {
  UseOracle(OracleRow(1, kProductText));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines({"Validation completed.", "Not supported source RDBMS version"}));
  EXPECT_LINES(run.ErrLines(), {std::string("ERROR: wrong-version Oracle -> ") + kProductText});
  EXPECT_FALSE(Received(kPermissionsQuery));
  EXPECT_FALSE(Received(kFindingsQuery));
  ExpectEveryStatementFreed();
}

TEST_F(OracleServerCheckTest, ACountOfZeroWithALongTextPassesWithoutReadingIt) {
  UseOracle(OracleRow(0, Repeat('t', 101)));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(Received(kPermissionsQuery));
}

TEST_F(OracleServerCheckTest, NoRowFailsTheCheckWithoutALine) {
  UseOracle("  columns server_version:int version:text\n");
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, CheckLines({"Validation completed.", "Not supported source RDBMS version"}));
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(Received(kPermissionsQuery));
}

TEST_F(OracleServerCheckTest, AFailingQueryIsReportedAndFailsTheCheck) {
  UseOracle(Failure("42000", 942, "ORA-00942: table or view does not exist"));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(run, {"Validating Oracle version...", "{TS} - Executing: ", SentQuery(), "failed.",
                      "Validation completed.", "Not supported source RDBMS version"});
  EXPECT_LINES(run.ErrLines(),
               Concat({{FailureLine("Statement failure(rc=-1).")},
                       {SentQuery(), "^^^^^^^^^^", "",
                        "1 [42000](942) ORA-00942: table or view does not exist"}}));
  EXPECT_FALSE(Received(kPermissionsQuery));
  ExpectEveryStatementFreed();
}

TEST_F(OracleServerCheckTest, AVersionTextOf100CharactersIsPrintedWhole) {
  const std::string text = Repeat('t', 100);
  UseOracle(OracleRow(2, text));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_LINES(run.ErrLines(), {"ERROR: wrong-version Oracle -> " + text});
}

TEST_F(OracleServerCheckTest, AVersionTextOf101CharactersIsReportedByTheCheck) {
  UseOracle(OracleRow(1, Repeat('t', 101)));
  const ProgramRun run = RunValidation("oracle");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  ExpectSection(
      run, CheckLines({"failed.", "Validation completed.", "Not supported source RDBMS version"}));
  EXPECT_LINES(run.ErrLines(), {FailureLine(kOverflowText)});
  ExpectEveryStatementFreed();
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
