// Validation mode on SQL Server and Oracle, through the scripted ODBC driver: the statement texts
// as they reach the driver, the server and permissions stages of an external database, and where
// a failing stage stops the validation run.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "db/db_type.h"
#include "e2e/validation_e2e.h"
#include "scripted_odbc_home.h"
#include "support/output_match.h"

namespace validation_e2e {
namespace {

// The SQL Server forms of the queries, with their NOLOCK hints.
constexpr const char* kClusterQueryMssql =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 3 AND e2.TYPE_ID = 1 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";
constexpr const char* kStoragePodQueryMssql =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 20 AND e2.TYPE_ID = 18 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";
constexpr const char* kPortGroupQueryMssql =
    "SELECT DVPORTGROUP_NAME FROM TWX_DVPORTGROUP WITH (NOLOCK) WHERE DVPORTGROUP_NAME IN (SELECT "
    "NAME FROM TWX_DVS WITH (NOLOCK) GROUP BY NAME) AND DVPORTGROUP_NAME IN (SELECT NAME FROM "
    "TWX_ENTITY WITH (NOLOCK) GROUP BY NAME, PARENT_ID HAVING COUNT(*) > 1)";
constexpr const char* kHostQueryMssql =
    "SELECT PRODUCT_VERSION, IP_ADDRESS FROM TWX_HOST WITH (NOLOCK)";
constexpr const char* kRecordReplayFlagQueryMssql =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "RECORD_REPLAY_ENABLED_FLG=1";
constexpr const char* kRecordReplayTypeQueryMssql =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "FAULT_TOLERANCE_TYPE='recordReplay'";

constexpr const char* kDatabaseNameQuery = "select DB_NAME();";
constexpr const char* kAlterPermissionQuery =
    "SELECT HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', 'ALTER')";
constexpr const char* kMssqlValidationQuery = "select * from schemalift_mssql_validate()";
constexpr const char* kDropMssqlFunction = "DROP FUNCTION schemalift_mssql_validate;";
constexpr std::string_view kCreateMssqlFunctionStart =
    "CREATE FUNCTION schemalift_mssql_validate()";
constexpr std::string_view kJobsQueryStart = "SELECT distinct j.name";
constexpr std::string_view kOracleQueryStart = "WITH req AS";

// The permissions scripts as ReadBatchFile hands them over: lines joined by line feeds, or by
// blanks for Oracle.
constexpr const char* kMssqlPermissionsQuery =
    "SELECT p.permission_name\n"
    "  FROM (VALUES ('CREATE TABLE'), ('CREATE FUNCTION'), ('VIEW SERVER STATE')) AS "
    "p(permission_name)\n"
    " WHERE HAS_PERMS_BY_NAME(DB_NAME(), 'DATABASE', p.permission_name) = 0";
constexpr const char* kOraclePermissionsQuery =
    "SELECT required.privilege   FROM (SELECT 'CREATE TABLE' AS privilege FROM DUAL         "
    "UNION ALL SELECT 'CREATE VIEW' FROM DUAL) required  WHERE required.privilege NOT IN (SELECT "
    "privilege FROM session_privs)";

constexpr const char* kMssqlCreateFindings =
    "CREATE TABLE TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE nvarchar(2500))";
constexpr const char* kMssqlInsertFindings =
    "INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)\n"
    "SELECT FINDING FROM SEEDED_FINDINGS ORDER BY POSITION";
// Oracle blocks ended by "/" lose their closing semicolon.
constexpr const char* kOracleCreateFindings =
    "CREATE TABLE TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE VARCHAR2(2500))";
constexpr const char* kOracleInsertFindings =
    "INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)\n"
    "SELECT FINDING FROM SEEDED_FINDINGS ORDER BY POSITION";

/// A text as a quoted fixture string.
std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    quoted += c;
  }
  return quoted + "\"";
}

/// One rule of the driver fixture.
std::string Rule(std::string_view mode, std::string_view pattern, std::string_view body = "") {
  return "rule " + std::string(mode) + " " + Quote(pattern) + "\n" + std::string(body) + "end\n";
}

std::string TextRows(std::string_view column, const std::vector<std::string>& rows) {
  std::string body = "  columns " + std::string(column) + ":text\n";
  for (const std::string& row : rows) body += "  row " + Quote(row) + "\n";
  return body;
}

std::string Failure(std::string_view state, int native, std::string_view message) {
  return "  fail\n    diag " + std::string(state) + " " + std::to_string(native) + " " +
         Quote(message) + "\n";
}

/// What the fixture answers; every part can be replaced by a test before the run.
struct ScriptedServer {
  DbType dbType = DbType::mssql;
  std::string serverCheck;
  std::string permissions;
  std::string jobs;
  std::string findings = TextRows("INCONSISTENCIE", {});
  std::string hosts = "  columns PRODUCT_VERSION:text IP_ADDRESS:text\n";

  /// The SQL Server version check's answer: the failure mask and the version text.
  static std::string MssqlServerRow(int mask) {
    return "  columns server_version:int ver_comp:text\n  row " + std::to_string(mask) +
           " \"12.0.2000.8 Standard Edition; Compatibility Level 120\"\n";
  }

  static std::string OracleServerRow(int count) {
    return "  columns server_version:int version:text\n  row " + std::to_string(count) +
           " \"Oracle Database 11g Enterprise Edition Release 11.2.0.2.0 - 64bit Production "
           "11.2.0.2.0\"\n";
  }

  std::string Fixture() const {
    const bool mssql = dbType == DbType::mssql;
    std::string text = "connect\nend\n";
    if (mssql) {
      text += Rule("exact", kDatabaseNameQuery, TextRows("name", {"TWDB"}));
      text += Rule("exact", kAlterPermissionQuery, "  columns int\n  row 0\n");
      text += Rule("prefix", kCreateMssqlFunctionStart);
      text += Rule("exact", kMssqlValidationQuery,
                   serverCheck.empty() ? MssqlServerRow(0) : serverCheck);
      text += Rule("exact", kDropMssqlFunction);
      text += Rule("prefix", kJobsQueryStart, jobs.empty() ? TextRows("name", {}) : jobs);
    } else {
      text +=
          Rule("prefix", kOracleQueryStart, serverCheck.empty() ? OracleServerRow(0) : serverCheck);
    }
    text += Rule("exact", mssql ? kMssqlPermissionsQuery : kOraclePermissionsQuery,
                 permissions.empty() ? TextRows("permission", {}) : permissions);
    text += Rule("exact", mssql ? kMssqlCreateFindings : kOracleCreateFindings);
    text += Rule("exact", mssql ? kMssqlInsertFindings : kOracleInsertFindings, "  affected 0\n");
    text += Rule("exact", kFindingsQuery, findings);
    text += Rule("exact", kDropFindings);
    // The inventory queries answer only in the form that the kind must send.
    text += Rule("exact", mssql ? kClusterQueryMssql : kClusterQuery, TextRows("CL", {}));
    text += Rule("exact", mssql ? kStoragePodQueryMssql : kStoragePodQuery, TextRows("CL", {}));
    text += Rule("exact", kVendorQuery, "  columns NAME:text PRODUCT_VENDOR:text\n");
    text += Rule("exact", kVersionQuery, "  columns NAME:text PRODUCT_VERSION:text\n");
    text += Rule("exact", kProfileQuery, "  columns PROFILE_NAME:text CONFIG_INFO:text\n");
    text += Rule("exact", mssql ? kPortGroupQueryMssql : kPortGroupQuery,
                 TextRows("DVPORTGROUP_NAME", {}));
    text += Rule("exact", mssql ? kHostQueryMssql : kHostQuery, hosts);
    for (const char* query : {kRecordReplayFlagQueryMssql, kRecordReplayTypeQueryMssql,
                              kRecordReplayFlagQuery, kRecordReplayTypeQuery}) {
      if (mssql == (std::string_view(query).find("NOLOCK") != std::string_view::npos)) {
        text += Rule("exact", query, "  columns NAME:text FILES_VM_PATH_NAME:text\n");
      }
    }
    return text;
  }
};

class ValidationScriptedTest : public ValidationTest {
 protected:
  /// Registers the scripted driver under the kind's driver name and the test's DSN with the
  /// fixture, and copies the kind's validation and permissions scripts into the working folder.
  void UseScriptedServer(const ScriptedServer& server) {
    dbType_ = server.dbType;
    journal_ = temp().path() / "scripted" / "journal.txt";
    const std::string driver = server.dbType == DbType::mssql ? scripted_odbc::kSqlServerDriver
                                                              : scripted_odbc::kOracleDriver;
    const std::filesystem::path fixture =
        temp().WriteFile("scripted/fixture.txt", server.Fixture());
    odbcIni().AddDriver(driver, SCRIPTED_DRIVER_LIBRARY);
    odbcIni().AddDsn(kTestDsn, driver,
                     {{"Fixture", fixture.string()}, {"Journal", JournalPath().string()}});
    const std::string kind = KindName();
    InstallScripts("seeded", "650", kind);
    std::filesystem::copy_file(std::filesystem::path(SCHEMALIFT_SOURCE_DIR) / "tests" / "fixtures" /
                                   "validation" / "permissions" / (kind + "_permissions_check.sql"),
                               workDir() / (kind + "_permissions_check.sql"));
  }

  ProgramRun RunScripted(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments = {
        "-t", KindName(),   "-d",           B64(kTestDsn),
        "-u", B64("twdba"), "-p",           B64("scripted-secret"),
        "-y", "-v",         "warnings.txt", "-b",
        "650"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunSchemalift(arguments);
  }

  /// The statements that reached the driver, in order.
  std::vector<std::string> ExecutedStatements() const {
    std::vector<std::string> lines = SplitLines(ReadWholeFile(JournalPath()));
    std::vector<std::string> statements;
    for (const scripted_odbc::JournalEvent& event : scripted_odbc::ParseJournal(lines)) {
      if (event.event == "EXEC") statements.push_back(event.detail);
    }
    return statements;
  }

  /// Whether the driver received a statement beginning with the text.
  bool Received(std::string_view start) const {
    const std::vector<std::string> statements = ExecutedStatements();
    return std::any_of(statements.begin(), statements.end(),
                       [&](const std::string& statement) { return statement.starts_with(start); });
  }

  /// The driver's statements with the long server-check texts cut to their first words.
  std::vector<std::string> StatementOutline() const {
    std::vector<std::string> outline;
    for (const std::string& statement : ExecutedStatements()) {
      if (statement.starts_with(kCreateMssqlFunctionStart)) {
        outline.emplace_back("CREATE FUNCTION ...");
      } else if (statement.starts_with(kJobsQueryStart)) {
        outline.emplace_back("jobs query");
      } else if (statement.starts_with(kOracleQueryStart)) {
        outline.emplace_back("Oracle version query");
      } else {
        outline.push_back(statement);
      }
    }
    return outline;
  }

  /// The stage lines of standard output: the validation run's own messages and the script paths.
  static std::vector<std::string> StageLines(const ProgramRun& run) {
    std::vector<std::string> stages;
    for (const std::string& line : run.OutLines()) {
      if (line == "Validating MSSQL version..." || line == "Validating Oracle version..." ||
          line == "Validating MSSQL jobs..." || line == "Validation completed." ||
          line == "Not supported source RDBMS version" || line.starts_with("** ") ||
          line == "Validating PYLON hosts versions..." || line.starts_with("Exiting.")) {
        stages.push_back(line);
      }
    }
    return stages;
  }

  std::string KindName() const { return dbType_ == DbType::mssql ? "mssql" : "oracle"; }
  const std::filesystem::path& JournalPath() const { return journal_; }

  std::vector<std::string> InventoryStatements() const {
    if (dbType_ == DbType::mssql) {
      return {
          kClusterQueryMssql, kStoragePodQueryMssql, kVendorQuery,    kVersionQuery,
          kProfileQuery,      kPortGroupQueryMssql,  kHostQueryMssql, kRecordReplayTypeQueryMssql};
    }
    return {kClusterQuery, kStoragePodQuery, kVendorQuery, kVersionQuery,
            kProfileQuery, kPortGroupQuery,  kHostQuery,   kRecordReplayTypeQuery};
  }

  std::vector<std::string> ScriptStatements() const {
    if (dbType_ == DbType::mssql) {
      return {kMssqlCreateFindings, kMssqlInsertFindings, kFindingsQuery, kDropFindings};
    }
    return {kOracleCreateFindings, kOracleInsertFindings, kFindingsQuery, kDropFindings};
  }

  std::vector<std::string> ScriptPathLines() const {
    const std::string folder = ".\\Upgrade-v2016-to-v2017\\" + KindName() + "\\";
    return {"** " + folder + "validate_schema_" + KindName() + ".sql **",
            "** " + folder + "validate_" + KindName() + ".sql **"};
  }

  std::string PermissionsPathLine() const {
    return "** .\\" + KindName() + "_permissions_check.sql **";
  }

  /// The SQL Server recovery guard's statements before and after the mode work.
  static std::vector<std::string> GuardStart() {
    return {kDatabaseNameQuery, kAlterPermissionQuery};
  }
  static std::vector<std::string> GuardEnd() { return {kAlterPermissionQuery}; }

  // The stage lines of the checks after RunDBValidate.
  static std::vector<std::string> ChecksStageLines() {
    return {"Validating PYLON hosts versions...", "Validation completed.", "Exiting. Status=0"};
  }

 private:
  DbType dbType_ = DbType::mssql;
  std::filesystem::path journal_;
};

TEST_F(ValidationScriptedTest, SqlServerWithoutExternalDatabaseSendsTheNolockForms) {
  ScriptedServer server;
  server.findings = TextRows("INCONSISTENCIE", {"first finding", "second"});
  server.hosts =
      "  columns PRODUCT_VERSION:text IP_ADDRESS:text\n  row \"5.5.0\" \"10.1.1.1\"\n"
      "  row \"6.0.0\" \"10.1.1.2\"\n  row null \"10.1.1.3\"\n";
  UseScriptedServer(server);
  const ProgramRun run = RunScripted();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(),
            Concat({GuardStart(), ScriptStatements(), InventoryStatements(), GuardEnd()}));
  EXPECT_LINES(StageLines(run), Concat({ScriptPathLines(), ChecksStageLines()}));
  EXPECT_LINES(run.ErrLines(), {"WARNING: pylon-version -> 5.5.0 host IP: 10.1.1.1",
                                "WARNING: pylon-version ->  host IP: 10.1.1.3",
                                "ERROR: wrong-host-version-count -> 2"});
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "first finding\nsecond\n");
}

TEST_F(ValidationScriptedTest, SqlServerExternalDatabaseRunsVersionPermissionsAndJobsFirst) {
  UseScriptedServer(ScriptedServer{});
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(StatementOutline(), Concat({GuardStart(),
                                        {"CREATE FUNCTION ...", kMssqlValidationQuery,
                                         kDropMssqlFunction, kMssqlPermissionsQuery, "jobs query"},
                                        ScriptStatements(),
                                        InventoryStatements(),
                                        GuardEnd()}));
  EXPECT_LINES(StageLines(run),
               Concat({{"Validating MSSQL version...", "Validation completed.",
                        PermissionsPathLine(), "Validating MSSQL jobs...", "Validation completed."},
                       ScriptPathLines(),
                       ChecksStageLines()}));
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, SqlServerWithSkippedServerChecksRunsOnlyThePermissionsCheck) {
  UseScriptedServer(ScriptedServer{});
  const ProgramRun run = RunScripted({"-e", "-m"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(), Concat({GuardStart(),
                                          {kMssqlPermissionsQuery},
                                          ScriptStatements(),
                                          InventoryStatements(),
                                          GuardEnd()}));
  EXPECT_LINES(StageLines(run),
               Concat({{PermissionsPathLine()}, ScriptPathLines(), ChecksStageLines()}));
}

TEST_F(ValidationScriptedTest, SkippingServerChecksWithoutExternalDatabaseChangesNothing) {
  UseScriptedServer(ScriptedServer{});
  const ProgramRun run = RunScripted({"-m"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(),
            Concat({GuardStart(), ScriptStatements(), InventoryStatements(), GuardEnd()}));
}

TEST_F(ValidationScriptedTest, MissingPermissionsStopTheValidationRunButNotTheChecks) {
  ScriptedServer server;
  server.permissions =
      TextRows("permission", {"CREATE TABLE", "CREATE FUNCTION", "VIEW SERVER STATE"});
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {"ERROR: insufficient-permissions", "CREATE TABLE",
                                "CREATE FUNCTION", "VIEW SERVER STATE"});
  // No jobs check, no validation scripts, no findings.
  EXPECT_EQ(StatementOutline(), Concat({GuardStart(),
                                        {"CREATE FUNCTION ...", kMssqlValidationQuery,
                                         kDropMssqlFunction, kMssqlPermissionsQuery},
                                        InventoryStatements(),
                                        GuardEnd()}));
  EXPECT_LINES(
      StageLines(run),
      Concat({{"Validating MSSQL version...", "Validation completed.", PermissionsPathLine()},
              ChecksStageLines()}));
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, AFailingPermissionsQueryIsReportedAndStopsTheValidationRun) {
  ScriptedServer server;
  server.permissions = Failure("42000", 297, "The user does not have permission");
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e", "-m"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::string> permissionsLines = SplitLines(kMssqlPermissionsQuery);
  EXPECT_LINES(run.ErrLines(),
               Concat({{std::string("Error executing '") + permissionsLines[0]},
                       {permissionsLines[1]},
                       {permissionsLines[2] + "'. Reason: Statement failure(rc=-1)."},
                       permissionsLines,
                       {"^^^^^^^^^^", "", "1 [42000](297) The user does not have permission"}}));
  EXPECT_EQ(ExecutedStatements(),
            Concat({GuardStart(), {kMssqlPermissionsQuery}, InventoryStatements(), GuardEnd()}));
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, AMissingPermissionsScriptEndsTheRun) {
  UseScriptedServer(ScriptedServer{});
  std::filesystem::remove(workDir() / "mssql_permissions_check.sql");
  const ProgramRun run = RunScripted({"-e", "-m"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.ErrLines(), {"ERROR: Cannot open batch file '.\\mssql_permissions_check.sql'."});
  EXPECT_EQ(ExecutedStatements(), Concat({GuardStart(), GuardEnd()}));
  EXPECT_EQ(run.OutLines().back(), "Exiting. Status=1");
}

TEST_F(ValidationScriptedTest, AnUnsupportedSqlServerStopsBeforeThePermissionsCheck) {
  ScriptedServer server;
  server.serverCheck = ScriptedServer::MssqlServerRow(3);
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(StageLines(run), Concat({{"Validating MSSQL version...", "Validation completed.",
                                         "Not supported source RDBMS version"},
                                        ChecksStageLines()}));
  EXPECT_EQ(StatementOutline(),
            Concat({GuardStart(),
                    {"CREATE FUNCTION ...", kMssqlValidationQuery, kDropMssqlFunction},
                    InventoryStatements(),
                    GuardEnd()}));
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, JobsToCleanUpStopBeforeTheValidationScripts) {
  ScriptedServer server;
  server.jobs = TextRows("name", {"TWDB nightly purge", "TWDB rollup"});
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(StageLines(run),
               Concat({{"Validating MSSQL version...", "Validation completed.",
                        PermissionsPathLine(), "Validating MSSQL jobs...", "Validation completed."},
                       ChecksStageLines()}));
  EXPECT_EQ(StatementOutline(), Concat({GuardStart(),
                                        {"CREATE FUNCTION ...", kMssqlValidationQuery,
                                         kDropMssqlFunction, kMssqlPermissionsQuery, "jobs query"},
                                        InventoryStatements(),
                                        GuardEnd()}));
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, OracleWithoutExternalDatabaseSendsThePlainForms) {
  ScriptedServer server;
  server.dbType = DbType::oracle;
  server.findings = TextRows("INCONSISTENCIE", {"oracle finding"});
  UseScriptedServer(server);
  const ProgramRun run = RunScripted();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(), Concat({ScriptStatements(), InventoryStatements()}));
  EXPECT_LINES(StageLines(run), Concat({ScriptPathLines(), ChecksStageLines()}));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadWholeFile(WarningsPath()), "oracle finding\n");
}

TEST_F(ValidationScriptedTest, OracleExternalDatabaseRunsVersionAndPermissionsButNoJobsCheck) {
  ScriptedServer server;
  server.dbType = DbType::oracle;
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(StatementOutline(), Concat({{"Oracle version query", kOraclePermissionsQuery},
                                        ScriptStatements(),
                                        InventoryStatements()}));
  EXPECT_LINES(
      StageLines(run),
      Concat({{"Validating Oracle version...", "Validation completed.", PermissionsPathLine()},
              ScriptPathLines(),
              ChecksStageLines()}));
}

TEST_F(ValidationScriptedTest, OracleWithSkippedServerChecksRunsOnlyThePermissionsCheck) {
  ScriptedServer server;
  server.dbType = DbType::oracle;
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e", "-m"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(ExecutedStatements(),
            Concat({{kOraclePermissionsQuery}, ScriptStatements(), InventoryStatements()}));
}

TEST_F(ValidationScriptedTest, AnUnsupportedOracleServerStopsTheValidationRun) {
  ScriptedServer server;
  server.dbType = DbType::oracle;
  server.serverCheck = ScriptedServer::OracleServerRow(1);
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(StageLines(run), Concat({{"Validating Oracle version...", "Validation completed.",
                                         "Not supported source RDBMS version"},
                                        ChecksStageLines()}));
  EXPECT_EQ(StatementOutline(), Concat({{"Oracle version query"}, InventoryStatements()}));
  EXPECT_FALSE(std::filesystem::exists(WarningsPath()));
}

TEST_F(ValidationScriptedTest, MissingOraclePermissionsStopTheValidationRun) {
  ScriptedServer server;
  server.dbType = DbType::oracle;
  server.permissions = TextRows("privilege", {"CREATE VIEW"});
  UseScriptedServer(server);
  const ProgramRun run = RunScripted({"-e", "-m"});
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {"ERROR: insufficient-permissions", "CREATE VIEW"});
  EXPECT_EQ(ExecutedStatements(), Concat({{kOraclePermissionsQuery}, InventoryStatements()}));
}

}  // namespace
}  // namespace validation_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
