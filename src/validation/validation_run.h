#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "db/db_type.h"

class RecoveryModeGuard;

/// The result of StoreValidationFindings and RunDBValidate when the warnings file could not be
/// opened, written or closed (already reported on standard error). The run must then end with a
/// failure status: the installer would otherwise take a lost file for a clean database.
inline constexpr int kWarningsFileNotWritten = 2;

/// The server checks (with externalDatabase), the permissions check, the schema validation
/// scripts and the storing of their findings in the warnings file. 0 when the findings were
/// stored; 1 when a server, permissions or jobs check stopped the run, or reading the findings
/// failed; kWarningsFileNotWritten when the warnings file was lost. The permissions check is
/// skipped for PostgreSQL, which has no permissions script.
int RunDBValidate(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
                  bool externalDatabase, bool skipServerChecks, std::string warningsFile,
                  RecoveryModeGuard& recoveryGuard);

/// Copies TWX_PREUPGRADE_VERIFICATION to the warnings file and drops the table, also after a
/// failure to read it. 0 on success, 1 when reading the findings failed, kWarningsFileNotWritten
/// when the file could not be opened, written or closed (whether or not reading failed too).
int StoreValidationFindings(SQLHDBC connection, const std::string& warningsFile);
