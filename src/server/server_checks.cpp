#include "server/server_checks.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "db/check_failure.h"
#include "server/recovery_mode_guard.h"

namespace {

constexpr std::int32_t kTextBufferLength = 101;

constexpr std::int32_t kWrongVersion = 1;
constexpr std::int32_t kWrongCompatibility = 2;
constexpr std::int32_t kMirrored = 4;

/// Reads the validation function's row and prints at most one finding; true when it passed.
bool ReadMssqlVerdict(RowReader& rows) {
  if (!rows.FetchRow()) return false;
  const std::int32_t value = rows.GetInt32(1);
  const std::string versionText = rows.GetString(2, kTextBufferLength);
  if (value == 0) return true;
  if (value & kWrongVersion) {
    std::cerr << "ERROR: wrong-version MSSQL -> " << versionText << std::endl;
  } else if (value & kWrongCompatibility) {
    std::cerr << "ERROR: wrong-compatibility MSSQL -> " << versionText << std::endl;
  } else if (value & kMirrored) {
    std::cerr << "ERROR: error-mirroring MSSQL" << std::endl;
  }
  return false;
}

}  // namespace

bool ValidateMssqlServer(RecoveryModeGuard& recoveryGuard) {
  Database& database = recoveryGuard.database();
  database.ExecuteOnce(kCreateValidationFunction);
  bool passed = false;
  try {
    const std::unique_ptr<RowReader> rows = database.Query(kValidationQuery);
    std::cout << "Executed: " << kValidationQuery << std::endl;
    passed = ReadMssqlVerdict(*rows);
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportStatementFailure(kValidationQuery, failure);
    passed = false;
  }
  database.ExecuteOnce(kDropValidationFunction);
  return passed;
}

bool ValidateOracleServer(Database& database) {
  try {
    const std::unique_ptr<RowReader> rows = database.RunQuery(kOracleVersionQuery);
    bool passed = false;
    if (rows->FetchRow()) {
      passed = rows->GetInt32(1) == 0;
      if (!passed) {
        std::cerr << "ERROR: wrong-version Oracle -> " << rows->GetString(2, kTextBufferLength)
                  << std::endl;
      }
    }
    return passed;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportStatementFailure(kOracleVersionQuery, failure);
    return false;
  }
}

bool ValidateMssqlJobs(RecoveryModeGuard& recoveryGuard) {
  try {
    const std::unique_ptr<RowReader> rows = recoveryGuard.database().Query(kJobsQuery);
    std::cout << "Executed: " << kJobsQuery << std::endl;
    bool anyJob = false;
    while (rows->FetchRow()) {
      const std::string jobName = rows->GetString(1, kTextBufferLength);
      if (!anyJob) std::cerr << "ERROR! The following jobs should be cleaned up:" << std::endl;
      anyJob = true;
      std::cerr << jobName << std::endl;
    }
    return !anyJob;
  } catch (const std::exception& failure) {
    ReportStatementFailure(kJobsQuery, failure);
    return false;
  }
}
