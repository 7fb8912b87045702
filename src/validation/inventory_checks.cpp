#include "validation/inventory_checks.h"

#include <array>
#include <string_view>

#include "validation/finding_query.h"
#include "validation/nolock_variant.h"

namespace {

// Queries in their SQL Server form; every other kind gets them without the NOLOCK hints.

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
