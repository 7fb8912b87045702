#include "server/server_checks.h"

#include <array>
#include <exception>
#include <iostream>

#include "db/statement.h"
#include "db/statement_runner.h"
#include "server/recovery_mode_guard.h"

namespace {

constexpr std::int32_t kTextBufferLength = 101;

constexpr const char* kCreateValidationFunction =
    "CREATE FUNCTION schemalift_mssql_validate() "
    "RETURNS @tbl TABLE(server_version INT, ver_comp VARCHAR(200)) "
    "AS "
    "BEGIN "
    "INSERT @tbl "
    "SELECT SUM(server_version) as server_version, "
    "MAX(ver) + '; Compatibility Level ' + MAX(comp) as ver_comp "
    "FROM ( "
    "SELECT COUNT(0) as server_version, "
    "CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) + ' ' "
    "+ CAST(SERVERPROPERTY('Edition') AS varchar(30)) as ver, "
    "'' as comp "
    "FROM ( "
    "SELECT CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) ProductVersion, "
    "CAST(SERVERPROPERTY('Edition') AS varchar(30)) Edition) db_serv "
    "WHERE REPLACE(ProductVersion, '.0.', '.00.') < "
    "(CASE "
    "WHEN ProductVersion LIKE '12.%' THEN '12.00.2000' "
    "WHEN ProductVersion LIKE '10.%' THEN '10.50.2500' "
    "ELSE '11.00.2100.60' "
    "END) "
    "OR (Edition NOT LIKE 'Standard%' AND "
    "Edition NOT LIKE 'Enterprise%' AND "
    "Edition NOT LIKE 'Express%' AND "
    "Edition NOT LIKE 'Data_Center%') "
    "UNION ALL "
    "SELECT CASE "
    "WHEN compatibility_level < 100 THEN CAST(2 AS INT) "
    "ELSE CAST(0 AS INT) "
    "END as server_version, "
    "'' as ver, "
    "CAST(compatibility_level AS VARCHAR(3)) as comp "
    "FROM sys.databases "
    "WHERE name = db_name() "
    "UNION ALL "
    "SELECT COUNT(0) * 4 as server_version, "
    "'' as ver, "
    "'' as comp "
    "FROM sys.database_mirroring "
    "WHERE database_id = db_id() "
    "AND mirroring_state IS NOT NULL) AS tbl_check; "
    "RETURN; "
    "END;";

constexpr const char* kValidationQuery = "select * from schemalift_mssql_validate()";
constexpr const char* kDropValidationFunction = "DROP FUNCTION schemalift_mssql_validate;";

constexpr const char* kOracleVersionQuery =
    "WITH req AS ( "
    "SELECT prod_prefix, prod_release, edition, version, patch_level "
    "FROM ( "
    "SELECT 'Oracle Database' AS prod_prefix "
    "FROM DUAL "
    ") prefix, "
    "( "
    "SELECT '11g' AS prod_release, "
    "'11.2.0.' AS version, "
    "'3' AS patch_level "
    "FROM DUAL "
    "UNION ALL "
    "SELECT '12c' AS prod_release, "
    "'12.1.0.' AS version, "
    "'' AS patch_level "
    "FROM DUAL "
    ") srv_release, "
    "( "
    "SELECT 'Standard' AS edition "
    "FROM DUAL "
    "UNION ALL "
    "SELECT 'Enterprise' AS edition "
    "FROM DUAL "
    ") srv_edition "
    ") "
    "SELECT COUNT(0) AS server_version, "
    "MAX(product) || ' ' || MAX(version) "
    "FROM ( "
    "SELECT product, version, "
    "DECODE(INSTR(product, 'Enterprise'), "
    "0, DECODE(INSTR(product, 'Personal'), "
    "0, DECODE(INSTR(product, 'Express'), "
    "0, 'Standard', "
    "'Express'), "
    "'Personal'), "
    "'Enterprise') AS edition "
    "FROM product_component_version "
    "WHERE product LIKE '%Oracle Database%' "
    ") pcv "
    "WHERE NOT EXISTS ( "
    "SELECT 1 "
    "FROM req "
    "WHERE pcv.product LIKE (req.prod_prefix || ' ' || req.prod_release || '%') "
    "AND pcv.edition = req.edition "
    "AND pcv.version LIKE (req.version || '%') "
    "AND pcv.version >= (req.version || NVL(req.patch_level, '0')) "
    ")";

constexpr const char* kJobsQuery =
    "SELECT distinct j.name "
    "FROM msdb.dbo.sysjobs j "
    "JOIN msdb.dbo.sysjobsteps t "
    "ON j.job_id = t.job_id "
    "AND t.database_name = db_name() "
    "LEFT JOIN msdb.dbo.sysjobs_view v "
    "ON v.name = j.name "
    "WHERE v.name IS NULL";

constexpr std::int32_t kWrongVersion = 1;
constexpr std::int32_t kWrongCompatibility = 2;
constexpr std::int32_t kMirrored = 4;

void ReportCheckFailure(const char* statement, const std::exception& failure) {
  std::cerr << "Error executing statement '" << statement << "', reason: " << failure.what()
            << std::endl;
}

/// Reads the validation function's row and prints at most one finding; true when it passed.
bool ReadMssqlVerdict(Statement& statement) {
  if (!FetchRow(statement)) return false;
  const std::int32_t value = GetInt32(statement, 1);
  std::array<char, kTextBufferLength> versionText{};
  GetString(statement, 2, versionText.data(), kTextBufferLength);
  if (value == 0) return true;
  if (value & kWrongVersion) {
    std::cerr << "ERROR: wrong-version MSSQL -> " << versionText.data() << std::endl;
  } else if (value & kWrongCompatibility) {
    std::cerr << "ERROR: wrong-compatibility MSSQL -> " << versionText.data() << std::endl;
  } else if (value & kMirrored) {
    std::cerr << "ERROR: error-mirroring MSSQL" << std::endl;
  }
  return false;
}

}  // namespace

bool ValidateMssqlServer(RecoveryModeGuard& recoveryGuard) {
  const SQLHDBC connection = recoveryGuard.connection();
  ExecuteOnce(connection, kCreateValidationFunction);
  bool passed = false;
  try {
    Statement statement;
    AllocateStatement(statement, connection);
    ExecuteStatement(statement, kValidationQuery);
    std::cout << "Executed: " << kValidationQuery << std::endl;
    passed = ReadMssqlVerdict(statement);
    FreeStatement(statement);
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportCheckFailure(kValidationQuery, failure);
    passed = false;
  }
  ExecuteOnce(connection, kDropValidationFunction);
  return passed;
}

bool ValidateOracleServer(SQLHDBC connection) {
  try {
    Statement statement;
    AllocateStatement(statement, connection);
    RunStatement(statement, kOracleVersionQuery);
    bool passed = false;
    if (FetchRow(statement)) {
      passed = GetInt32(statement, 1) == 0;
      if (!passed) {
        std::array<char, kTextBufferLength> versionText{};
        GetString(statement, 2, versionText.data(), kTextBufferLength);
        std::cerr << "ERROR: wrong-version Oracle -> " << versionText.data() << std::endl;
      }
    }
    FreeStatement(statement);
    return passed;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportCheckFailure(kOracleVersionQuery, failure);
    return false;
  }
}

bool ValidateMssqlJobs(RecoveryModeGuard& recoveryGuard) {
  Statement statement;
  AllocateStatement(statement, recoveryGuard.connection());
  try {
    ExecuteStatement(statement, kJobsQuery);
    std::cout << "Executed: " << kJobsQuery << std::endl;
    bool anyJob = false;
    while (FetchRow(statement)) {
      std::array<char, kTextBufferLength> jobName{};
      GetString(statement, 1, jobName.data(), kTextBufferLength);
      if (!anyJob) std::cerr << "ERROR! The following jobs should be cleaned up:" << std::endl;
      anyJob = true;
      std::cerr << jobName.data() << std::endl;
    }
    FreeStatement(statement);
    return !anyJob;
  } catch (const std::exception& failure) {
    ReportCheckFailure(kJobsQuery, failure);
    return false;
  }
}
