// Connecting to the test bed's PostgreSQL through the driver manager.
#include <gtest/gtest.h>

#include <regex>

#include "e2e/e2e_fixture.h"
#include "support/output_match.h"

namespace {

class ConnectionTest : public E2eTest {};

TEST_F(ConnectionTest, ReportsAWrongPasswordWithTheNumberedRecords) {
  UsePostgres();
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64("tw"),
                                        "-p", B64("not the password"), "-y", "-b", "600"});
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_GE(err.size(), 2u) << run.err;
  EXPECT_EQ(err[0], "Cannot connect to database. DSN='TWDB test' user='tw'");
  EXPECT_TRUE(std::regex_match(err[1], std::regex(R"(1 \[08001\]\(101\) .+)"))) << err[1];
  EXPECT_EQ(run.out.find("Exiting. Status="), std::string::npos);
  EXPECT_EQ(run.out.find("Connected to database."), std::string::npos);
}

TEST_F(ConnectionTest, ReportsAnUnknownDsn) {
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-d", B64("No Such Source"), "-u",
                                        B64("tw"), "-y", "-b", "600"});
  EXPECT_EQ(run.exitStatus, 1);
  const std::vector<std::string> err = run.ErrLines();
  ASSERT_EQ(err.size(), 2u) << run.err;
  EXPECT_EQ(err[0], "Cannot connect to database. DSN='No Such Source' user='tw'");
  EXPECT_TRUE(std::regex_match(err[1], std::regex(R"(1 \[IM002\]\(0\) .+)"))) << err[1];
}

TEST_F(ConnectionTest, ConnectsWithTheDecodedSettings) {
  UsePostgres().Execute(
      "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
      "CREATE TABLE TWX_SCHEMA_HASH (x int);");
  std::vector<std::string> arguments = ConnectArguments();
  arguments.insert(arguments.end(), {"-b", "659"});
  const ProgramRun run = RunSchemalift(arguments);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> out = run.OutLines();
  ASSERT_GE(out.size(), 7u);
  EXPECT_EQ(out[6], "Connected to database. DSN='TWDB test' user='tw'");
}

}  // namespace
