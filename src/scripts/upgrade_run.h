#pragma once

#include <cstdint>
#include <string>

#include "db/database.h"
#include "db/db_type.h"
#include "scripts/liftaide_launch.h"

/// What an upgrade run works with besides the database and liftaide.
struct UpgradeRequest {
  DbType dbType;
  std::int32_t sourceVersion;
  const std::string& dsn;
  const std::string& userName;
  const std::string& password;
  /// Empty for a plain upgrade; the database's build for a build-to-build one.
  const std::string& buildTag;
  /// The ORM object count of a build-to-build run: none skips liftaide.
  const std::string& ormObjectCount;
};

/// Runs every upgrade step whose base version is not below the source version: its scripts, the
/// schema reset, liftaide (started by `launcher`), and its after-launch scripts. 0 on success; 1
/// when the source version is out of range or liftaide failed. Other failures propagate.
int RunUpgrade(Database& database, LiftaideLauncher& launcher, const UpgradeRequest& request);

/// Runs the scripts of one step that come before liftaide (afterLaunch false) or after it, from
/// the build-to-build lists when the build tag is not empty, each by the runner of its kind.
void RunUpgradeStep(int baseVersion, DbType dbType, Database& database, const std::string& buildTag,
                    bool afterLaunch);

/// Empties TWX_TABLE, TWX_INDEX_COLUMN and TWX_SCHEMA_HASH, in this order; a failure propagates.
void ResetSchemaHash(Database& database);
