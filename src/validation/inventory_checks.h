#pragma once

#include "db/database.h"

#include <cstdint>

#include "db/db_type.h"

int CheckClusterHostCount(Database& database, DbType dbType);
int CheckStoragePodDatastoreCount(Database& database, DbType dbType);
int CheckDistributedSwitches(Database& database);
int CheckDuplicatePortGroupNames(Database& database, DbType dbType);
int CheckLegacyFaultToleranceVms(Database& database, DbType dbType, std::int32_t sourceVersion);
