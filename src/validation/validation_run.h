#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "db/db_type.h"

class RecoveryModeGuard;

/// The server checks (with externalDatabase), the permissions check, the schema validation
/// scripts and the storing of their findings in the warnings file.
int RunDBValidate(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
                  bool externalDatabase, bool skipServerChecks, std::string warningsFile,
                  RecoveryModeGuard& recoveryGuard);

/// Copies TWX_PREUPGRADE_VERIFICATION to the warnings file and drops the table.
int StoreValidationFindings(SQLHDBC connection, const std::string& warningsFile);
