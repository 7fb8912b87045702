#include "validation/inventory_checks.h"

#include <array>
#include <string_view>

#include "validation/finding_query.h"
#include "validation/nolock_variant.h"

namespace {

// Queries in their SQL Server form; every other kind gets them without the NOLOCK hints.

constexpr std::string_view kClusterHostCountQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 3 AND e2.TYPE_ID = 1 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";

constexpr std::string_view kStoragePodDatastoreCountQuery =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID WHERE e1.TYPE_ID = 20 AND e2.TYPE_ID = 18 GROUP BY e2.PARENT_ID "
    "HAVING COUNT(0) > 64";

// The switch queries have one form for every kind.
constexpr std::string_view kSwitchVendorQuery =
    "SELECT NAME, PRODUCT_VENDOR FROM TWX_DVS WHERE PRODUCT_FORWARDING_CLASS not in ('cswitch', "
    "'etherswitch') OR PRODUCT_VENDOR not in ('Halvik, Inc.', 'Halvik')";

constexpr std::string_view kSwitchVersionQuery =
    "SELECT NAME, PRODUCT_VERSION FROM TWX_DVS WHERE PRODUCT_VERSION IN ('4.0', '4.1.0', '5.0.0', "
    "'5.1.0', '5.5.0') AND PRODUCT_VENDOR IN ('Halvik, Inc.', 'Halvik')";

constexpr std::string_view kDuplicatePortGroupNamesQuery =
    "SELECT DVPORTGROUP_NAME FROM TWX_DVPORTGROUP WITH (NOLOCK) WHERE DVPORTGROUP_NAME IN (SELECT "
    "NAME FROM TWX_DVS WITH (NOLOCK) GROUP BY NAME) AND DVPORTGROUP_NAME IN (SELECT NAME FROM "
    "TWX_ENTITY WITH (NOLOCK) GROUP BY NAME, PARENT_ID HAVING COUNT(*) > 1)";

// Source version 550 still records fault tolerance in the record/replay flag.
constexpr std::string_view kRecordReplayVmsQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "RECORD_REPLAY_ENABLED_FLG=1";

constexpr std::string_view kRecordReplayTypeVmsQuery =
    "SELECT NAME, FILES_VM_PATH_NAME FROM TWX_VM_CONFIG_INFO WITH (NOLOCK) WHERE "
    "FAULT_TOLERANCE_TYPE='recordReplay'";

constexpr std::int32_t kFirstSourceVersion = 550;

constexpr std::array<std::int32_t, 1> kEntityNameBuffer = {2501};
constexpr std::array<std::int32_t, 2> kSwitchVendorBuffers = {256, 256};
constexpr std::array<std::int32_t, 2> kSwitchVersionBuffers = {256, 10};
constexpr std::array<std::int32_t, 1> kPortGroupNameBuffer = {256};
constexpr std::array<std::int32_t, 2> kVmNameAndPathBuffers = {256, 513};

constexpr DetailLayout kColumnOnly = {"", "", ""};

}  // namespace

int CheckClusterHostCount(Database& database, DbType dbType) {
  return ReportFindingRows(
      database, {SelectQueryVariant(kClusterHostCountQuery, dbType), "ERROR: wrong-cluster-count",
                 kEntityNameBuffer, kColumnOnly});
}

int CheckStoragePodDatastoreCount(Database& database, DbType dbType) {
  return ReportFindingRows(database,
                           {SelectQueryVariant(kStoragePodDatastoreCountQuery, dbType),
                            "ERROR: wrong-storagepod-count", kEntityNameBuffer, kColumnOnly});
}

int CheckDistributedSwitches(Database& database) {
  // A foreign switch, or a failure of the vendor query, ends the check before the version query.
  if (ReportFindingRows(database, {std::string(kSwitchVendorQuery),
                                   "ERROR: invalid-dvs-vendor",
                                   kSwitchVendorBuffers,
                                   {"{DVSwitch: ", ", Vendor: ", "}"}}) != 0) {
    return 1;
  }
  return ReportFindingRows(database, {std::string(kSwitchVersionQuery),
                                      "ERROR: invalid-dvs-version",
                                      kSwitchVersionBuffers,
                                      {"{DVSwitch: ", ", Version: ", "}"}});
}

int CheckDuplicatePortGroupNames(Database& database, DbType dbType) {
  return ReportFindingRows(database,
                           {SelectQueryVariant(kDuplicatePortGroupNamesQuery, dbType),
                            "ERROR: duplicate-names: ", kPortGroupNameBuffer, kColumnOnly});
}

int CheckLegacyFaultToleranceVms(Database& database, DbType dbType, std::int32_t sourceVersion) {
  const std::string_view query =
      sourceVersion == kFirstSourceVersion ? kRecordReplayVmsQuery : kRecordReplayTypeVmsQuery;
  return ReportFindingRows(database, {SelectQueryVariant(query, dbType),
                                      "ERROR: legacy-ft-vms: ",
                                      kVmNameAndPathBuffers,
                                      {"", ":", ""}});
}
