#pragma once

#include <sql.h>

class RecoveryModeGuard;

/// SQL Server version, edition, compatibility level and mirroring; true when the server passed.
bool ValidateMssqlServer(RecoveryModeGuard& recoveryGuard);

/// Oracle product, edition and version; true when the server passed.
bool ValidateOracleServer(SQLHDBC connection);

/// SQL Server Agent jobs on this database that the login cannot see; true when there is none.
bool ValidateMssqlJobs(RecoveryModeGuard& recoveryGuard);
