#pragma once
// What the end-to-end tests of settings discovery, connection, recovery model and server checks
// share when they reach SQL Server, Oracle or another kind through the scripted ODBC driver: the
// fixture pieces, the data source of a test, and the reading of the driver's journal.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "scripted_odbc_home.h"

namespace scripted_e2e {

/// The data source under which a test reaches the scripted driver.
inline constexpr const char* kScriptedDsn = "TWDB scripted";
/// The user name that the scripted tests log in with (base64-encoded on the command line).
inline constexpr const char* kScriptedUser = "twdba";

// The statements of the SQL Server recovery model switch, spelled out here rather than taken from
// the program, so that a changed text shows.
inline constexpr const char* kDatabaseNameQuery = "select DB_NAME();";
inline constexpr const char* kAlterPermissionQuery =
    "SELECT HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', 'ALTER')";
inline constexpr const char* kRecoveryModelQuery =
    "select databasepropertyex(db_name(), 'recovery')";

// The schema-hash reset that ends every upgrade.
inline constexpr const char* kDeleteTable = "DELETE FROM TWX_TABLE";
inline constexpr const char* kDeleteIndexColumn = "DELETE FROM TWX_INDEX_COLUMN";
inline constexpr const char* kDeleteSchemaHash = "DELETE FROM TWX_SCHEMA_HASH";

/// A text as a quoted fixture string.
std::string Quote(std::string_view text);

/// One rule of the fixture; `body` is made of answer lines, each ending with a newline.
std::string Rule(std::string_view mode, std::string_view pattern, std::string_view body = "");

/// An answer with one text column (named `column`) and the given rows; nullopt is NULL.
std::string TextRows(std::string_view column, const std::vector<std::optional<std::string>>& rows);

/// An answer with one integer column and the given rows; nullopt is NULL.
std::string IntRows(const std::vector<std::optional<int>>& rows);

/// One diagnostic record line of an answer.
std::string Diag(std::string_view state, long native, std::string_view message);

/// A failing answer with one diagnostic record.
std::string Failure(std::string_view state, long native, std::string_view message);

/// "rule exact" answers of the three DELETE statements of the schema-hash reset: SQL_NO_DATA.
std::string ResetRules();

/// The three lines of the statement runner for one statement.
std::vector<std::string> Trace(const std::string& statement);

/// The runner's lines of the schema-hash reset.
std::vector<std::string> ResetTrace();

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts);

/// From "Parsing command line arguments..." up to "twxd base version : '...'", with the
/// "Driver from DSN: '...'" line when `driverLine` is given.
std::vector<std::string> SettingsLines(const std::string& dbType, const std::string& user,
                                       const std::string& dsn, const std::string& version,
                                       const std::optional<std::string>& driverLine = std::nullopt);

/// The report of a statement with one diagnostic record, as its lines: title, statement, carets,
/// blank line, the record.
std::vector<std::string> Report(const std::string& title, const std::string& statement,
                                const std::string& record);

/// Runs of blanks and line breaks become one blank; leading and trailing ones go.
std::string CollapseBlanks(std::string_view text);

/// A text of the given length made of one repeated character.
std::string Repeat(char c, std::size_t count);

/// An end-to-end test whose data sources are served by the scripted driver.
class ScriptedE2eTest : public E2eTest {
 protected:
  /// Registers the scripted driver under `driverName` and a data source `dsn` of it with the
  /// fixture text and the test's journal.
  void AddScriptedDsn(const std::string& driverName, const std::string& fixture,
                      const std::string& dsn = kScriptedDsn);

  /// Runs non-interactively on kScriptedDsn as kScriptedUser, with `-t dbType` unless dbType is
  /// empty, followed by the extra arguments.
  ProgramRun RunScripted(const std::string& dbType, const std::vector<std::string>& extra);

  /// Where the driver writes the journal of every data source of the test.
  std::filesystem::path JournalPath() { return temp().path() / "scripted" / "journal.txt"; }
  bool JournalExists() { return std::filesystem::exists(JournalPath()); }

  std::vector<scripted_odbc::JournalEvent> Journal();

  /// The statements that reached the driver, in order.
  std::vector<std::string> ExecutedStatements();

  /// The journal with the lines that matter for ordering: "CONNECT ...", "CONNECT-RESULT ...",
  /// "EXEC <statement>", "EXEC-RESULT <result>", "DISCONNECT", and "NO-RULE" for a statement no
  /// rule answered. Statement numbers are left out.
  std::vector<std::string> JournalOutline();

  /// Fails the test when a statement handle was left for SQLDisconnect to free.
  void ExpectEveryStatementFreed();
};

// The server checks of a validation run with -e.
inline constexpr const char* kCreateFunctionStart = "CREATE FUNCTION schemalift_mssql_validate()";
inline constexpr const char* kValidationQuery = "select * from schemalift_mssql_validate()";
inline constexpr const char* kDropFunction = "DROP FUNCTION schemalift_mssql_validate;";
inline constexpr const char* kJobsQueryStart = "SELECT distinct j.name";
inline constexpr const char* kOracleQueryStart = "WITH req AS";
/// The permissions query of the test's own permissions scripts.
inline constexpr const char* kPermissionsQuery = "SELECT permission_name FROM missing_permissions";
inline constexpr const char* kFindingsQuery =
    "SELECT INCONSISTENCIE FROM TWX_PREUPGRADE_VERIFICATION";
inline constexpr const char* kOverflowText =
    "The operation required too much data to be stored in the specified buffer.";

/// A validation run with the server checks (-v warnings.txt -e -b 550) against a scripted SQL
/// Server or Oracle, with permissions and validation scripts of its own in the working folder.
class ServerCheckTest : public ScriptedE2eTest {
 protected:
  void SetUp() override;

  /// A SQL Server without the ALTER permission (no recovery model switch) that answers the
  /// version check with `check`, the jobs query with `jobs`, the CREATE FUNCTION with `create`
  /// and the DROP FUNCTION with `drop`; every other query finds nothing.
  void UseMssql(const std::string& check, const std::string& jobs = TextRows("name", {}),
                const std::string& create = "  ok\n", const std::string& drop = "  ok\n");

  /// An Oracle server that answers the version query with `check`; every other query finds
  /// nothing.
  void UseOracle(const std::string& check);

  ProgramRun RunValidation(const std::string& dbType);

  /// The server version check's answer: the failure mask and a text.
  static std::string MssqlRow(std::optional<int> mask, const std::string& text);
  /// The Oracle version check's answer: the count and a text.
  static std::string OracleRow(std::optional<int> count, const std::string& text);

  /// `count` lines of standard output from the first line equal to `first`; fewer when the
  /// output ends before.
  static std::vector<std::string> Section(const ProgramRun& run, const std::string& first,
                                          std::size_t count);

  /// Compares the lines of standard output from the first line of `expected` on with `expected`.
  static void ExpectSection(const ProgramRun& run, const std::vector<std::string>& expected);

  /// Whether the driver received the statement.
  bool Received(const std::string& statement);
};

}  // namespace scripted_e2e
