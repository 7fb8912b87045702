#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "db/db_type.h"

/// Runs every upgrade step whose base version is not below the source version: its scripts, the
/// schema reset, liftaide, and its after-launch scripts. 0 on success; 1 when the source version is
/// out of range or liftaide failed. Other failures propagate.
int RunUpgrade(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
               const std::string& dsn, const std::string& userName, const std::string& password,
               const std::string& buildTag, const std::string& ormObjectCount);

/// Empties TWX_TABLE, TWX_INDEX_COLUMN and TWX_SCHEMA_HASH, in this order; a failure propagates.
void ResetSchemaHash(SQLHDBC connection);
