// Inputs at and past the limits: the longest arguments that the system passes, a megabyte of
// arguments, invalid UTF-8 in the DSN and the user name, a NUL byte inside a script, and a single
// statement of 100 MiB. The files are made at run time in the test's temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/upgrade_e2e.h"
#include "e2e/validation_e2e.h"
#include "support/output_match.h"

namespace {

using Lines = std::vector<std::string>;

/// The longest single argument that Linux passes to a program: 32 pages less the closing NUL.
/// (An argument of 1 MB cannot be passed at all: the system refuses to start the program.)
constexpr std::size_t kLongestArgument = 131071;
/// The longest base64 text that fits one argument, and the length of the text it decodes to.
constexpr std::size_t kLongestBase64 = kLongestArgument / 4 * 4;
constexpr std::size_t kLongestDecoded = kLongestBase64 / 4 * 3;

constexpr const char* kPrintedFolder = ".\\Upgrade-v2016-to-v2017\\postgresql\\";

Lines SettingsLines(const std::string& user, const std::string& dsn, const std::string& version) {
  return {"Parsing command line arguments...",
          "Command line arguments parsed.",
          "DB type: 'PostgreSQL'",
          "DB user name: '" + user + "'",
          "Data Source Name: '" + dsn + "'",
          "twxd base version : '" + version + "'"};
}

std::string AuthenticationFailure(const std::string& user) {
  return "1 [08001](101) [unixODBC]connection to server at \"127.0.0.1\", port " +
         Testbed::Get().port + " failed: FATAL:  password authentication failed for user \"" +
         user + "\"";
}

/// Everything after the first line equal to `line`, that line excluded.
Lines LinesAfter(const Lines& lines, const std::string& line) {
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? Lines{} : Lines(found + 1, lines.end());
}

constexpr const char* kSchemaHashTables =
    "CREATE TABLE TWX_TABLE (x int); CREATE TABLE TWX_INDEX_COLUMN (x int); "
    "CREATE TABLE TWX_SCHEMA_HASH (x int);";

class LongArgumentTest : public E2eTest {};

TEST_F(LongArgumentTest, TheLongestDsnIsRefusedByTheDriverManager) {
  const std::string dsn(kLongestDecoded, 'D');
  const std::string argument = B64(dsn);
  ASSERT_EQ(argument.size(), kLongestBase64);
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run = RunSchemalift(
      {"-t", "postgresql", "-d", argument, "-u", B64(testbed.appUser), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines(testbed.appUser, dsn, "655"));
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='" + dsn + "' user='" + testbed.appUser + "'",
                "1 [HY090](0) [unixODBC][Driver Manager]Invalid string or buffer length"});
}

TEST_F(LongArgumentTest, TheLongestUserNameIsRefusedByTheServer) {
  UsePostgres();
  const std::string user(kLongestDecoded, 'U');
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64(user),
                                        "-p", B64(testbed.appPassword), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines(user, kTestDsn, "655"));
  // The server cuts a name to 63 bytes.
  EXPECT_LINES(run.ErrLines(), {"Cannot connect to database. DSN='" + std::string(kTestDsn) +
                                    "' user='" + user + "'",
                                AuthenticationFailure(std::string(63, 'U')), ""});
}

TEST_F(LongArgumentTest, TheLongestPasswordIsRefusedByTheServer) {
  UsePostgres();
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run =
      RunSchemalift({"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64(testbed.appUser), "-p",
                     B64(std::string(kLongestDecoded, 'P')), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines(testbed.appUser, kTestDsn, "655"));
  EXPECT_LINES(run.ErrLines(), {"Cannot connect to database. DSN='" + std::string(kTestDsn) +
                                    "' user='" + testbed.appUser + "'",
                                AuthenticationFailure(testbed.appUser), ""});
}

TEST_F(LongArgumentTest, TheLongestSourceVersionIsReadLikeAShortOne) {
  UsePostgres().Execute(kSchemaHashTables);
  std::vector<std::string> arguments = ConnectArguments();
  const std::string version = std::string(kLongestArgument - 3, '0') + "655";
  arguments.insert(arguments.end(), {"-b", version});
  const ProgramRun run = RunSchemalift(arguments);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Lines out = run.OutLines();
  ASSERT_GE(out.size(), 6u);
  EXPECT_EQ(out[5], "twxd base version : '655'");
  EXPECT_EQ(out.back(), "Exiting. Status=0");

  arguments.back() = std::string(kLongestArgument, '6');
  const ProgramRun saturated = RunSchemalift(arguments);
  EXPECT_EQ(saturated.exitStatus, 1);
  EXPECT_LINES(saturated.ErrLines(), {"ERROR: Incorrect Database Version: 2147483647"});
  EXPECT_LINES(saturated.OutLines(),
               upgrade_e2e::Concat({{"Parsing command line arguments..."}, UsageLines()}));
}

TEST_F(LongArgumentTest, AMegabyteOfArgumentsIsReadAndTheLastPasswordWins) {
  UsePostgres().Execute(kSchemaHashTables);
  const Testbed& testbed = Testbed::Get();
  std::vector<std::string> arguments = {
      "-t", "postgresql", "-d", B64(kTestDsn), "-u", B64(testbed.appUser), "-y", "-b", "655"};
  std::size_t total = 0;
  for (char filler = 'a'; total < (1u << 20); ++filler) {
    arguments.insert(arguments.end(), {"-p", B64(std::string(kLongestDecoded, filler))});
    total += kLongestBase64;
  }
  arguments.insert(arguments.end(), {"-p", B64(testbed.appPassword)});
  const ProgramRun run = RunSchemalift(arguments);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Lines out = run.OutLines();
  ASSERT_GE(out.size(), 7u);
  EXPECT_EQ(out[6], "Connected to database. DSN='TWDB test' user='" + testbed.appUser + "'");
  EXPECT_EQ(out.back(), "Exiting. Status=0");
}

using LongWarningsFileTest = validation_e2e::ValidationTest;

TEST_F(LongWarningsFileTest, TheLongestWarningsFileNameCannotBeOpenedAndFailsTheRun) {
  UseInventoryDatabase();
  InstallScripts("seeded");
  SeedFindings({"found"});
  const std::string name(kLongestArgument, 'w');
  const ProgramRun run = RunValidation(name);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open the warnings output file '" + name +
                                "'. Reason: File name too long"});
  const Lines out = run.OutLines();
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), "Exiting. Status=1");
  EXPECT_FALSE(FindingsTableExists());
}

class InvalidUtf8Test : public E2eTest {};

TEST_F(InvalidUtf8Test, ADsnThatIsNoUtf8IsPrintedAsGivenAndNotFound) {
  UsePostgres();
  // A lead byte followed by no continuation byte.
  const std::string dsn = "TWDB\xC3(test";
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run =
      RunSchemalift({"-t", "postgresql", "-d", B64(dsn), "-u", B64(testbed.appUser), "-p",
                     B64(testbed.appPassword), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines(testbed.appUser, dsn, "655"));
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='" + dsn + "' user='" + testbed.appUser + "'",
                "1 [IM002](0) [unixODBC][Driver Manager]Data source name not found and no default "
                "driver specified"});
}

TEST_F(InvalidUtf8Test, AUserNameThatIsNoUtf8ReachesTheServerWithAReplacementAndIsRefused) {
  UsePostgres();
  const std::string user = "tw\xFF\xFE";
  const Testbed& testbed = Testbed::Get();
  const ProgramRun run = RunSchemalift({"-t", "postgresql", "-d", B64(kTestDsn), "-u", B64(user),
                                        "-p", B64(testbed.appPassword), "-y", "-b", "655"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines(user, kTestDsn, "655"));
  EXPECT_LINES(run.ErrLines(), {"Cannot connect to database. DSN='" + std::string(kTestDsn) +
                                    "' user='" + user + "'",
                                AuthenticationFailure("tw?"), ""});
}

/// Upgrade runs from 650 on the fixture scripts, with one script changed.
class ScriptContentTest : public upgrade_e2e::UpgradeTest {
 protected:
  void SetUp() override {
    UpgradeTest::SetUp();
    std::ifstream schema(upgrade_e2e::FixtureFolder() / "postgresql" / "base_schema.sql");
    UsePostgres().Execute(std::string(std::istreambuf_iterator<char>(schema), {}));
    InstallScripts("postgresql/scripts");
    InstallLiftaide();
  }

  ProgramRun RunUpgrade() {
    std::vector<std::string> arguments = ConnectArguments();
    arguments.insert(arguments.end(), {"-b", "650"});
    return RunSchemalift(arguments);
  }

  void ReplaceScript(const std::string& file, const std::string& content) {
    temp().WriteFile("work/Upgrade-v2016-to-v2017/postgresql/" + file, content);
  }

  /// Adds statements at the end of a script of step 650; returns the number of lines before them.
  std::size_t AppendToScript(const std::string& file, const std::string& content) {
    const std::string original =
        ReadWholeFile(workDir() / "Upgrade-v2016-to-v2017" / "postgresql" / file);
    EXPECT_TRUE(original.ends_with("\n"));
    ReplaceScript(file, original + content);
    return static_cast<std::size_t>(std::count(original.begin(), original.end(), '\n'));
  }

  Lines TraceRows() { return UsePostgres().Query("SELECT script FROM upgrade_trace ORDER BY seq"); }

  /// The whole trace of a complete run from 650.
  static Lines CompleteTrace() {
    Lines trace;
    for (const bool afterLaunch : {false, true}) {
      for (const std::string& entry :
           upgrade_e2e::StepEntries(650, DbType::postgresql, false, afterLaunch)) {
        trace.push_back("650/" + upgrade_e2e::FileOf(entry));
      }
      trace.push_back("reset");
    }
    return trace;
  }
};

const std::string kNulStatement = std::string("DELETE FROM nul_t\0 WHERE id = 2", 31);
constexpr const char* kNulRefusal =
    "reason: Statement refused: it holds a NUL byte at offset 17, and the database would receive "
    "only the text before it.";

/// A statement that the database would receive as another text, and the reason it is refused.
struct Refusal {
  std::string statement;
  std::string reason;
};

class RefusedStatementTest : public ScriptContentTest,
                             public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedStatementTest, IsNotSentAndTheRunGoesOnWithTheNextFile) {
  UsePostgres().Execute("CREATE TABLE nul_t (id int); INSERT INTO nul_t VALUES (1), (2), (3);");
  const std::size_t before = AppendToScript(
      "upgrade_PostgreSQL.sql", "DELETE FROM nul_t WHERE id = 1\n/\n" + GetParam().statement +
                                    "\n/\nINSERT INTO nul_t VALUES (9)\n/\n");
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(),
               {"Error while executing " + std::string(kPrintedFolder) +
                "upgrade_PostgreSQL.sql:" + std::to_string(before + 4) + ", " + GetParam().reason});
  const Lines after = LinesAfter(run.OutLines(), "DELETE FROM nul_t WHERE id = 1");
  ASSERT_GE(after.size(), 4u);
  EXPECT_LINES(Lines(after.begin(), after.begin() + 4),
               {"{TS} - Done.", "{TS} - Executing: ", GetParam().statement, "type : 'cmds'"});
  EXPECT_EQ(UsePostgres().Query("SELECT id FROM nul_t ORDER BY id"), (Lines{"2", "3"}));
  EXPECT_EQ(TraceRows(), CompleteTrace());
}

// Cut at the NUL byte, the first statement would empty the table; the single-byte code page
// bytes of the second would be stored as control characters.
INSTANTIATE_TEST_SUITE_P(
    Statements, RefusedStatementTest,
    ::testing::Values(
        Refusal{kNulStatement, kNulRefusal},
        Refusal{"DELETE FROM nul_t WHERE id = 2 AND 'it\x92s \x80' <> ''",
                "reason: Statement refused: it holds a byte that is not UTF-8 at offset 38, and "
                "the database would receive another text."}));

TEST_F(ScriptContentTest, ANulByteInACommandScriptStatementIsRefusedAndEndsTheRun) {
  UsePostgres().Execute("CREATE TABLE nul_t (id int); INSERT INTO nul_t VALUES (1), (2), (3);");
  ReplaceScript("TWDB_views_PostgreSQL.sql", "DELETE FROM nul_t WHERE id = 1;\n" + kNulStatement +
                                                 ";\nINSERT INTO nul_t VALUES (9);\n");
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  const std::string refusal = std::string(kNulRefusal).substr(std::string("reason: ").size());
  EXPECT_LINES(run.ErrLines(), {"Error while executing " + std::string(kPrintedFolder) +
                                    "TWDB_views_PostgreSQL.sql:2, " + kNulRefusal,
                                "ERROR: " + refusal});
  const Lines out = run.OutLines();
  ASSERT_GE(out.size(), 4u);
  EXPECT_LINES(Lines(out.end() - 4, out.end()),
               {kNulStatement, "{TS} - Executing: ", kNulStatement, "Exiting. Status=1"});
  EXPECT_EQ(UsePostgres().Query("SELECT id FROM nul_t ORDER BY id"), (Lines{"2", "3"}));
  EXPECT_EQ(TraceRows(), Lines{"650/upgrade_PostgreSQL.sql"});
  EXPECT_EQ(LiftaideRecord(), Lines{});
}

// A transaction that a block file leaves open must not swallow the files after it: it is rolled
// back, with a report, when the file failed (and the run then ends with 1, since work it showed
// as done is undone), and committed when the file ran through.
TEST_F(ScriptContentTest, ATransactionLeftOpenByABlockFileEndsWithTheFile) {
  UsePostgres().Execute("CREATE TABLE tx_t (id int)");
  const std::size_t before = AppendToScript(
      "upgrade_PostgreSQL.sql",
      "START TRANSACTION\n/\nINSERT INTO tx_t VALUES (1)\n/\nSELECT 1/0\n/\nCOMMIT\n/\n");
  const std::string file = std::string(kPrintedFolder) + "upgrade_PostgreSQL.sql";
  ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(),
               {"Error while executing " + file + ":" + std::to_string(before + 6) +
                    ", reason: Statement failure(rc=-1).",
                "SELECT 1/0", "^^^^^^^^^^", "", "1 [22012](1) ERROR: division by zero;",
                "Error while executing the query",
                "ERROR: The transaction left open by " + file +
                    " was rolled back: the statements that ran in it are undone."});
  EXPECT_EQ(run.OutLines().back(), "Exiting. Status=1");
  EXPECT_EQ(UsePostgres().Query("SELECT id FROM tx_t"), Lines{});
  EXPECT_EQ(TraceRows(), CompleteTrace());

  ReplaceScript("upgrade_PostgreSQL.sql", "BEGIN\n/\nINSERT INTO tx_t VALUES (2)\n/\n");
  UsePostgres().Execute("DELETE FROM upgrade_trace");
  run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(UsePostgres().Query("SELECT id FROM tx_t"), Lines{"2"});
  const Lines trace = CompleteTrace();
  EXPECT_EQ(TraceRows(), Lines(trace.begin() + 1, trace.end()));
}

TEST_F(ScriptContentTest, ASingleLineStatementOf100MebibytesRunsWhole) {
  UsePostgres().Execute("CREATE TABLE big_t (n bigint)");
  const std::string prefix = "INSERT INTO big_t VALUES (length('";
  const std::string suffix = "'))";
  constexpr std::size_t kStatementSize = 100u << 20;
  const std::size_t literalSize = kStatementSize - prefix.size() - suffix.size();
  const std::string statement = prefix + std::string(literalSize, 'x') + suffix;
  ASSERT_EQ(statement.size(), kStatementSize);
  AppendToScript("upgrade_PostgreSQL.sql", statement + "\n/\n");
  const ProgramRun run = RunUpgrade();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(UsePostgres().Query("SELECT n FROM big_t"), Lines{std::to_string(literalSize)});
  EXPECT_EQ(TraceRows(), CompleteTrace());
  // The statement is printed whole, on one line, between the runner's two lines. (Compared
  // without printing: a mismatch would put 100 MiB into the test's report.)
  const Lines out = run.OutLines();
  const auto printed = std::find_if(out.begin(), out.end(), [&](const std::string& line) {
    return line.size() == statement.size();
  });
  ASSERT_NE(printed, out.end());
  ASSERT_TRUE(printed != out.begin() && printed + 1 != out.end());
  EXPECT_TRUE(*printed == statement);
  EXPECT_LINES((Lines{*(printed - 1), *(printed + 1)}), {"{TS} - Executing: ", "{TS} - Done."});
}

}  // namespace
