// The command line as the operator types it: option errors, the usage text, the prompt.
#include <gtest/gtest.h>

#include "e2e/e2e_fixture.h"
#include "support/output_match.h"

namespace {

class CommandLineTest : public E2eTest {
 protected:
  /// Expects the option error `message` on standard error (after any scanner lines), the usage
  /// text on standard output after the parsing line, and status 1.
  void ExpectOptionError(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& errLines,
                         const std::vector<std::string>& extraOutBeforeUsage = {}) {
    const ProgramRun run = RunSchemalift(arguments);
    std::vector<std::string> out = {"Parsing command line arguments..."};
    out.insert(out.end(), extraOutBeforeUsage.begin(), extraOutBeforeUsage.end());
    const std::vector<std::string> usage = UsageLines();
    out.insert(out.end(), usage.begin(), usage.end());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_LINES(run.OutLines(), out);
    EXPECT_LINES(run.ErrLines(), errLines);
  }
};

TEST_F(CommandLineTest, RefusesTextsThatAreNotBase64) {
  ExpectOptionError({"-p", "a b"}, {"ERROR: Password is not a valid base64 string: 'a b'"});
  ExpectOptionError({"-p", "a-b"}, {"ERROR: Password is not a valid base64 string: 'a-b'"});
  ExpectOptionError({"-u", "a-b"}, {"ERROR: Username is not a valid base64 string: 'a-b'"});
  ExpectOptionError({"-d", "x y"}, {"ERROR: DSN is not a valid base64 string: 'x y'"});
}

TEST_F(CommandLineTest, RefusesBase64LookalikesThatDoNotDecode) {
  ExpectOptionError({"-d", "YWJjZA"}, {"ERROR: DSN is not a valid base64 string: 'YWJjZA'"});
  ExpectOptionError({"-p", "YWJjZA"}, {"ERROR: Password is not a valid base64 string: 'YWJjZA'"});
  const std::string longText = std::string(256, 'A') + "!!!!";
  ExpectOptionError({"-u", longText},
                    {"ERROR: Username is not a valid base64 string: '" + longText + "'"});
}

TEST_F(CommandLineTest, RefusesUnknownDbTypes) {
  ExpectOptionError({"-t", "MSSQL"}, {"ERROR: Invalid DB type: 'MSSQL'"});
  ExpectOptionError({"-t", "db2"}, {"ERROR: Invalid DB type: 'db2'"});
}

TEST_F(CommandLineTest, RefusesVersionsOutsideTheSupportedRange) {
  ExpectOptionError({"-b", "549"}, {"ERROR: Incorrect Database Version: 549"});
  ExpectOptionError({"-b", "660"}, {"ERROR: Incorrect Database Version: 660"});
  ExpectOptionError({"-b", "abc"}, {"ERROR: Incorrect Database Version: 0"});
  ExpectOptionError({"-b", "-1"}, {"ERROR: Incorrect Database Version: -1"});
  // An out-of-range -b ends the run even after a valid one.
  ExpectOptionError({"-b", "600", "-b", "99999999999"},
                    {"ERROR: Incorrect Database Version: 2147483647"});
}

TEST_F(CommandLineTest, RefusesAnEmptyWarningsFile) {
  ExpectOptionError({"-v", ""}, {"ERROR: Invalid warnings output file parameter."});
}

TEST_F(CommandLineTest, ReportsScannerErrorsThenInvalidParameter) {
  ExpectOptionError({"-x"}, {"schemalift: unrecognized option 'x'", "ERROR: Invalid parameter."});
  ExpectOptionError({"-y", "-b"},
                    {"schemalift: option 'b' requires an argument", "ERROR: Invalid parameter."});
  ExpectOptionError({"--help"},
                    {"schemalift: unrecognized option 'help'", "ERROR: Invalid parameter."});
  ExpectOptionError({"-"}, {"ERROR: Invalid parameter."});
  ExpectOptionError({"//y"}, {"schemalift: unrecognized option '/y'", "ERROR: Invalid parameter."});
}

TEST_F(CommandLineTest, PrintsBuildToBuildModeWhenReadingDashS) {
  ExpectOptionError({"-s", "B1", "-t", "nope"}, {"ERROR: Invalid DB type: 'nope'"},
                    {"Build to build mode."});
}

class PromptTest : public E2eTest {
 protected:
  std::vector<std::string> PromptArguments() {
    UsePostgres();
    std::vector<std::string> arguments = ConnectArguments();
    arguments.pop_back();  // no -y
    arguments.insert(arguments.end(), {"-b", "655"});
    return arguments;
  }
};

TEST_F(PromptTest, AnswersStartingWithYContinue) {
  UsePostgres().Execute(
      "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
      "CREATE TABLE TWX_SCHEMA_HASH (x int);");
  for (const char* answer : {"y\n", "Yes\n", "Yo"}) {
    const ProgramRun run = RunSchemalift(PromptArguments(), answer);
    EXPECT_EQ(run.exitStatus, 0) << answer << run.err;
    const std::vector<std::string> lines = run.OutLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[6],
              "The twxd service will be stopped. Continue? [y/N]:Connected to database. "
              "DSN='TWDB test' user='tw'");
    EXPECT_EQ(lines.back(), "Exiting. Status=0");
  }
}

TEST_F(PromptTest, AnythingElseAborts) {
  for (std::optional<std::string> answer :
       {std::optional<std::string>("n\n"), std::optional<std::string>(" y\n"),
        std::optional<std::string>("\n"), std::optional<std::string>()}) {
    const ProgramRun run = RunSchemalift(PromptArguments(), answer);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_LINES(run.OutLines(), {"Parsing command line arguments...",
                                  "Command line arguments parsed.", "DB type: 'PostgreSQL'",
                                  "DB user name: 'tw'", "Data Source Name: 'TWDB test'",
                                  "twxd base version : '655'",
                                  "The twxd service will be stopped. Continue? [y/N]:Aborting..."});
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
