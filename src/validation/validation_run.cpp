#include "validation/validation_run.h"

#include <array>
#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "db/statement.h"
#include "scripts/batch_file.h"
#include "scripts/block_script.h"
#include "scripts/script_catalogue.h"
#include "server/server_checks.h"

namespace {

constexpr std::size_t kPermissionBufferSize = 2501;

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
bool PassServerVersionCheck(SQLHDBC connection, DbType dbType, RecoveryModeGuard& recoveryGuard) {
  bool passed = true;
  if (dbType == DbType::mssql) {
    std::cout << "Validating MSSQL version..." << std::endl;
    passed = ValidateMssqlServer(recoveryGuard);
    WriteValidationCompleted();
  } else if (dbType == DbType::oracle) {
    std::cout << "Validating Oracle version..." << std::endl;
    passed = ValidateOracleServer(connection);
    WriteValidationCompleted();
  }
  if (!passed) std::cout << "Not supported source RDBMS version" << std::endl;
  return passed;
}

/// Runs the permissions query; every row names a missing permission. False when a row came or
/// the query failed.
bool PassPermissionsQuery(SQLHDBC connection, const std::string& command) {
  Statement statement;
  AllocateStatement(statement, connection);
  bool passed = true;
  try {
    ExecuteStatement(statement, command);
    while (FetchRow(statement)) {
      if (passed) std::cerr << "ERROR: insufficient-permissions" << std::endl;
      passed = false;
      std::array<char, kPermissionBufferSize> permission{};
      GetString(statement, 1, permission.data(), static_cast<std::int32_t>(permission.size()));
      std::cerr << permission.data() << std::endl;
    }
  } catch (const std::exception& failure) {
    std::cerr << "Error executing '" << command << "'. Reason: " << failure.what() << std::endl;
    passed = false;
  }
  FreeStatement(statement);
  return passed;
}

bool PassPermissionsCheck(SQLHDBC connection, DbType dbType) {
  const std::optional<std::string> script = GetPermissionsScriptPath(dbType);
  if (!script) return true;
  return PassPermissionsQuery(connection, ReadBatchFile(*script, dbType));
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
bool PassServerChecks(SQLHDBC connection, DbType dbType, bool skipServerChecks,
                      RecoveryModeGuard& recoveryGuard) {
  if (!skipServerChecks && !PassServerVersionCheck(connection, dbType, recoveryGuard)) {
    return false;
  }
  if (!PassPermissionsCheck(connection, dbType)) return false;
  if (!skipServerChecks && dbType == DbType::mssql && !PassJobsCheck(recoveryGuard)) {
    return false;
  }
  return true;
}

/// Runs the step's two validation scripts, which leave their findings in a table.
void RunValidationScripts(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion) {
  const ValidationScripts scripts = GetValidationScripts(dbType);
  const std::string folder = ".\\" + GetScriptFolder(sourceVersion, dbType) + "\\";
  RunSqlBlockCommandScript(folder + std::string(scripts.schemaScript), connection, dbType, "");
  RunSqlBlockCommandScript(folder + std::string(scripts.validationScript), connection, dbType, "");
}

}  // namespace

int RunDBValidate(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
                  bool externalDatabase, bool skipServerChecks, std::string warningsFile,
                  RecoveryModeGuard& recoveryGuard) {
  if (externalDatabase && !PassServerChecks(connection, dbType, skipServerChecks, recoveryGuard)) {
    return 1;
  }
  RunValidationScripts(connection, dbType, sourceVersion);
  return StoreValidationFindings(connection, warningsFile);
}
