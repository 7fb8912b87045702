#include "validation/validation_run.h"

#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "db/check_failure.h"
#include "scripts/batch_file.h"
#include "scripts/block_script.h"
#include "scripts/script_catalogue.h"
#include "server/server_checks.h"

namespace {

constexpr std::int32_t kPermissionBufferSize = 2501;

/// The two validation scripts of a step folder, run in this order.
struct ValidationScripts {
  std::string_view schemaScript;
  std::string_view validationScript;
};

ValidationScripts GetValidationScripts(DbType dbType) {
  switch (dbType) {
    case DbType::mssql:
      return {"validate_schema_mssql.sql", "validate_mssql.sql"};
    case DbType::oracle:
      return {"validate_schema_oracle.sql", "validate_oracle.sql"};
    case DbType::postgresql:
      return {"validate_schema_PostgreSQL.sql", "validate_PostgreSQL.sql"};
    default:
      throw std::runtime_error("RunDBValidate() Invalid DB type.");
  }
}

/// The permissions script in the working folder; none for PostgreSQL, whose stage is skipped.
/// Other kinds without a script get the empty name, so that the path names the working folder
/// and reading it fails.
std::optional<std::string> GetPermissionsScriptPath(DbType dbType) {
  switch (dbType) {
    case DbType::mssql:
      return ".\\mssql_permissions_check.sql";
    case DbType::oracle:
      return ".\\oracle_permissions_check.sql";
    case DbType::postgresql:
      return std::nullopt;
    default:
      return ".\\";
  }
}

void WriteValidationCompleted() {
  std::cout << "Validation completed." << std::endl;
}

/// The server version and edition; kinds without a version check pass.
bool PassServerVersionCheck(Database& database, DbType dbType, RecoveryModeGuard& recoveryGuard) {
  bool passed = true;
  if (dbType == DbType::mssql) {
    std::cout << "Validating MSSQL version..." << std::endl;
    passed = ValidateMssqlServer(recoveryGuard);
    WriteValidationCompleted();
  } else if (dbType == DbType::oracle) {
    std::cout << "Validating Oracle version..." << std::endl;
    passed = ValidateOracleServer(database);
    WriteValidationCompleted();
  }
  if (!passed) std::cout << "Not supported source RDBMS version" << std::endl;
  return passed;
}

/// Runs the permissions query; every row names a missing permission. False when a row came or
/// the query failed.
bool PassPermissionsQuery(Database& database, const std::string& command) {
  bool passed = true;
  try {
    const std::unique_ptr<RowReader> rows = database.Query(command);
    while (rows->FetchRow()) {
      if (passed) std::cerr << "ERROR: insufficient-permissions" << std::endl;
      passed = false;
      std::cerr << rows->GetString(1, kPermissionBufferSize) << std::endl;
    }
  } catch (const std::exception& failure) {
    ReportQueryFailure(command, failure);
    passed = false;
  }
  return passed;
}

bool PassPermissionsCheck(Database& database, DbType dbType) {
  const std::optional<std::string> script = GetPermissionsScriptPath(dbType);
  if (!script) return true;
  return PassPermissionsQuery(database, ReadBatchFile(*script, dbType));
}

/// SQL Server Agent jobs that the login cannot see.
bool PassJobsCheck(RecoveryModeGuard& recoveryGuard) {
  std::cout << "Validating MSSQL jobs..." << std::endl;
  const bool passed = ValidateMssqlJobs(recoveryGuard);
  WriteValidationCompleted();
  return passed;
}

/// The stages that run with an external database, in their fixed order; false at the first
/// stage that fails.
bool PassServerChecks(Database& database, DbType dbType, bool skipServerChecks,
                      RecoveryModeGuard& recoveryGuard) {
  if (!skipServerChecks && !PassServerVersionCheck(database, dbType, recoveryGuard)) {
    return false;
  }
  if (!PassPermissionsCheck(database, dbType)) return false;
  if (!skipServerChecks && dbType == DbType::mssql && !PassJobsCheck(recoveryGuard)) {
    return false;
  }
  return true;
}

/// Runs the step's two validation scripts, which leave their findings in a table.
void RunValidationScripts(Database& database, DbType dbType, std::int32_t sourceVersion) {
  const ValidationScripts scripts = GetValidationScripts(dbType);
  const std::string folder = ".\\" + GetScriptFolder(sourceVersion, dbType) + "\\";
  RunSqlBlockCommandScript(folder + std::string(scripts.schemaScript), database, dbType, "");
  RunSqlBlockCommandScript(folder + std::string(scripts.validationScript), database, dbType, "");
}

}  // namespace

int RunDBValidate(Database& database, DbType dbType, std::int32_t sourceVersion,
                  bool externalDatabase, bool skipServerChecks, std::string warningsFile,
                  RecoveryModeGuard& recoveryGuard) {
  if (externalDatabase && !PassServerChecks(database, dbType, skipServerChecks, recoveryGuard)) {
    return 1;
  }
  RunValidationScripts(database, dbType, sourceVersion);
  return StoreValidationFindings(database, warningsFile);
}
