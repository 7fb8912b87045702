#pragma once

#include <sql.h>

#include <cstdint>

#include "db/db_type.h"

int CheckClusterHostCount(SQLHDBC connection, DbType dbType);
int CheckStoragePodDatastoreCount(SQLHDBC connection, DbType dbType);
int CheckDistributedSwitches(SQLHDBC connection);
int CheckDuplicatePortGroupNames(SQLHDBC connection, DbType dbType);
int CheckLegacyFaultToleranceVms(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion);
