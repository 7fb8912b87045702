#pragma once

#include "db/database.h"

#include <cstdint>
#include <string>

#include "db/db_type.h"
#include "validation/findings_store.h"

class RecoveryModeGuard;

/// The server checks (with externalDatabase), the permissions check, the schema validation
/// scripts and the storing of their findings in the warnings file. 0 when the findings were
/// stored; 1 when a server, permissions or jobs check stopped the run, or reading the findings
/// failed; kWarningsFileNotWritten when the warnings file was lost. The permissions check is
/// skipped for PostgreSQL, which has no permissions script.
int RunDBValidate(Database& database, DbType dbType, std::int32_t sourceVersion,
                  bool externalDatabase, bool skipServerChecks, std::string warningsFile,
                  RecoveryModeGuard& recoveryGuard);
