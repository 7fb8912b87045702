#pragma once

#include <cstdint>
#include <string_view>

#include "db/database.h"
#include "db/db_type.h"

// Queries in their SQL Server form; every other kind gets them without the NOLOCK hints, except
// the switch queries, which have one form for every kind.
inline constexpr std::string_view kClusterHostCountQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 3 AND e2.TYPE_ID = 1 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";
inline constexpr std::string_view kStoragePodDatastoreCountQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 20 AND e2.TYPE_ID = 18 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";
inline constexpr std::string_view kSwitchVendorQuery =
    "SELECT NAME, PRODUCT_VENDOR FROM TWX_DVS WHERE PRODUCT_FORWARDING_CLASS not in ('cswitch', "
    "'etherswitch') OR PRODUCT_VENDOR not in ('Halvik, Inc.', 'Halvik')";
inline constexpr std::string_view kSwitchVersionQuery =
    "SELECT NAME, PRODUCT_VERSION FROM TWX_DVS WHERE PRODUCT_VERSION IN ('4.0', '4.1.0', '5.0.0', "
    "'5.1.0', '5.5.0') AND PRODUCT_VENDOR IN ('Halvik, Inc.', 'Halvik')";
inline constexpr std::string_view kDuplicatePortGroupNamesQuery =
    "SELECT DVPORTGROUP_NAME FROM TWX_DVPORTGROUP WITH (NOLOCK) WHERE DVPORTGROUP_NAME IN (SELECT "
    "NAME FROM TWX_DVS WITH (NOLOCK) GROUP BY NAME) AND DVPORTGROUP_NAME IN (SELECT NAME FROM "
    "TWX_ENTITY WITH (NOLOCK) GROUP BY NAME, PARENT_ID HAVING COUNT(*) > 1)";
// Source version 550 still records fault tolerance in the record/replay flag.
inline constexpr std::string_view kRecordReplayVmsQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "RECORD_REPLAY_ENABLED_FLG=1";
inline constexpr std::string_view kRecordReplayTypeVmsQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "FAULT_TOLERANCE_TYPE='recordReplay'";

int CheckClusterHostCount(Database& database, DbType dbType);
int CheckStoragePodDatastoreCount(Database& database, DbType dbType);
int CheckDistributedSwitches(Database& database);
int CheckDuplicatePortGroupNames(Database& database, DbType dbType);
int CheckLegacyFaultToleranceVms(Database& database, DbType dbType, std::int32_t sourceVersion);
