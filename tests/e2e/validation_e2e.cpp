#include "e2e/validation_e2e.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

namespace validation_e2e {

namespace {

const std::filesystem::path& FixtureFolder() {
  static const std::filesystem::path folder =
      std::filesystem::path(SCHEMALIFT_SOURCE_DIR) / "tests" / "fixtures" / "validation";
  return folder;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read fixture " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// SQL text as a literal for psql.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

}  // namespace

std::string StepFolder(const std::string& sourceVersion) {
  if (sourceVersion == "550") return "Upgrade-v2013-to-v2015";
  if (sourceVersion == "600") return "Upgrade-v2015-to-v2016";
  return "Upgrade-v2016-to-v2017";
}

std::vector<std::string> Trace(const std::string& statement) {
  return {"{TS} - Executing: ", statement, "{TS} - Done."};
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> ValidationStartLines(const std::string& sourceVersion) {
  return {"Parsing command line arguments...",
          "Command line arguments parsed.",
          "DB type: 'PostgreSQL'",
          "DB user name: 'tw'",
          "Data Source Name: 'TWDB test'",
          "twxd base version : '" + sourceVersion + "'",
          "Connected to database. DSN='TWDB test' user='tw'",
          "Validating source version, inventory, db schema and permissions..."};
}

std::vector<std::string> CleanChecksLines(const std::string& sourceVersion) {
  return Concat({Trace(kClusterQuery),
                 Trace(kStoragePodQuery),
                 Trace(kVendorQuery),
                 Trace(kVersionQuery),
                 Trace(kProfileQuery),
                 Trace(kPortGroupQuery),
                 {"Validating PYLON hosts versions..."},
                 Trace(kHostQuery),
                 {"Validation completed."},
                 Trace(sourceVersion == "550" ? kRecordReplayFlagQuery : kRecordReplayTypeQuery)});
}

std::vector<std::string> SeededScriptLines(const std::string& sourceVersion) {
  const std::string folder = ".\\" + StepFolder(sourceVersion) + "\\postgresql\\";
  return {"** " + folder + "validate_schema_PostgreSQL.sql **",
          "Executing SQL commands:",
          "{TS} - Executing: ",
          "CREATE TABLE TWX_PREUPGRADE_VERIFICATION (",
          "  INCONSISTENCIE text",
          ")",
          "{TS} - Done.",
          "** " + folder + "validate_PostgreSQL.sql **",
          "Executing SQL commands:",
          "{TS} - Executing: ",
          "INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)",
          "SELECT FINDING FROM SEEDED_FINDINGS ORDER BY POSITION",
          "{TS} - Done."};
}

void ExpectMissingRelationRecord(const std::vector<std::string>& lines, std::size_t at,
                                 const std::string& relation) {
  ASSERT_LT(at + 1, lines.size());
  EXPECT_TRUE(
      std::regex_match(lines[at], std::regex(R"(1 \[42P01\]\(1\) ERROR: (relation|table) ")" +
                                             relation + R"(" does not exist;)")))
      << lines[at];
  EXPECT_EQ(lines[at + 1], "Error while executing the query");
}

std::vector<std::string> FileLines(const std::filesystem::path& path) {
  return SplitLines(ReadText(path));
}

std::string Repeat(char c, std::size_t count) {
  return std::string(count, c);
}

TestDatabase& ValidationTest::UseInventoryDatabase() {
  TestDatabase& database = UsePostgres();
  database.Execute(ReadText(FixtureFolder() / "inventory_postgresql.sql"));
  return database;
}

void ValidationTest::InstallScripts(const std::string& scenario, const std::string& sourceVersion,
                                    const std::string& kind) {
  const std::filesystem::path target = workDir() / StepFolder(sourceVersion) / kind;
  std::filesystem::create_directories(target);
  std::filesystem::copy(
      FixtureFolder() / scenario / kind, target,
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

void ValidationTest::SeedFindings(const std::vector<std::optional<std::string>>& findings) {
  std::string sql;
  int position = 0;
  for (const std::optional<std::string>& finding : findings) {
    sql += "INSERT INTO SEEDED_FINDINGS VALUES (" + std::to_string(++position) + ", " +
           (finding ? Quoted(*finding) : std::string("NULL")) + ");";
  }
  if (!sql.empty()) UsePostgres().Execute(sql);
}

ProgramRun ValidationTest::RunValidation(const std::string& warningsFile,
                                         const std::string& sourceVersion,
                                         const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = ConnectArguments();
  arguments.insert(arguments.end(), {"-v", warningsFile, "-b", sourceVersion});
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return RunSchemalift(arguments);
}

bool ValidationTest::FindingsTableExists() {
  return UsePostgres().Query(
             "SELECT count(*) FROM pg_tables WHERE tablename = "
             "'twx_preupgrade_verification'") != std::vector<std::string>{"0"};
}

}  // namespace validation_e2e
