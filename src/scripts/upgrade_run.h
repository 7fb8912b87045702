#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "db/db_type.h"
#include "db/statement_executor.h"
#include "scripts/liftaide_launch.h"

/// Runs every upgrade step whose base version is not below the source version: its scripts, the
/// schema reset, liftaide, and its after-launch scripts. 0 on success; 1 when the source version is
/// out of range or liftaide failed. Other failures propagate.
int RunUpgrade(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
               const std::string& dsn, const std::string& userName, const std::string& password,
               const std::string& buildTag, const std::string& ormObjectCount);

/// The same with the statements sent to `executor` and liftaide started by `launcher`.
int RunUpgrade(StatementExecutor& executor, LiftaideLauncher& launcher, DbType dbType,
               std::int32_t sourceVersion, const std::string& dsn, const std::string& userName,
               const std::string& password, const std::string& buildTag,
               const std::string& ormObjectCount);

/// Runs the scripts of one step that come before liftaide (afterLaunch false) or after it, from
/// the build-to-build lists when the build tag is not empty, each by the runner of its kind.
void RunUpgradeStep(int baseVersion, DbType dbType, StatementExecutor& executor,
                    const std::string& buildTag, bool afterLaunch);

/// Empties TWX_TABLE, TWX_INDEX_COLUMN and TWX_SCHEMA_HASH, in this order; a failure propagates.
void ResetSchemaHash(SQLHDBC connection);
void ResetSchemaHash(StatementExecutor& executor);
