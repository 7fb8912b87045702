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
  const ProgramRun run = RunSchemalift(
      {"-t", "postgresql", "-d", B64("No Such Source"), "-u", B64("tw"), "-y", "-b", "600"});
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

// A DSN, user name or password holding a NUL byte would reach the driver manager cut at it, so
// that another data source, user or password were used than the one given: none is looked up or
// sent. Without -t the DSN is "not listed"; with -t the connection is refused before it is tried.
TEST_F(ConnectionTest, TextsWithANulByteAreNeverCutShort) {
  using std::string_literals::operator""s;
  UsePostgres();
  const Testbed& testbed = Testbed::Get();
  const std::string notListed =
      "ERROR: An application exception occured: Error occured while reading settings for data "
      "source {} from registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data "
      "Sources, registry value name:{}";
  const auto fill = [](std::string text, const std::string& dsn) {
    for (std::size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, dsn);
    return text;
  };
  const std::string refused = ", and the driver manager would receive only the text before it.";
  const std::string dsnCut = kTestDsn + "\0x"s;
  struct Row {
    std::vector<std::string> arguments;
    std::string configDsn;  // written to twxd.cfg when not empty
    std::vector<std::string> err;
  };
  const std::vector<Row> rows = {
      {{"-d", "AA=="}, "", {fill(notListed, "\\0")}},
      {{"-d", B64("\0twdb"s)}, "", {fill(notListed, "\\0twdb")}},
      {{}, "\0twdb"s, {fill(notListed, "\\0twdb")}},
      {{"-t", "postgresql", "-d", B64(dsnCut)},
       "",
       {"Cannot connect to database. DSN='" + dsnCut + "' user='tw'",
        "Connection refused: the DSN holds a NUL byte at offset 9" + refused}},
      {{"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64("tw\0x"s)},
       "",
       {"Cannot connect to database. DSN='TWDB test' user='tw\0x'"s,
        "Connection refused: the user name holds a NUL byte at offset 2" + refused}},
      {{"-t", "postgresql", "-d", B64(kTestDsn), "-p", B64(testbed.appPassword + "\0x"s)},
       "",
       {"Cannot connect to database. DSN='TWDB test' user='tw'",
        "Connection refused: the password holds a NUL byte" + refused}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err.back());
    if (!row.configDsn.empty()) {
      temp().WriteFile("cfg/halvik-twx/twxd.cfg", "<dsn>" + row.configDsn + "</dsn>");
    }
    std::vector<std::string> arguments = {"-u", B64("tw"), "-p", B64(testbed.appPassword)};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    arguments.insert(arguments.end(), {"-y", "-b", "650"});
    const ProgramRun run = RunSchemalift(arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_LINES(run.ErrLines(), row.err);
    EXPECT_EQ(run.out.find("Driver from DSN"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Connected to database."), std::string::npos) << run.out;
  }
}

}  // namespace
