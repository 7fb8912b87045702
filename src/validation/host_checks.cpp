// The product versions of the managed hosts against the minimum host version.
#include "validation/host_checks.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string_view>

#include "db/check_failure.h"
#include "validation/nolock_variant.h"
#include "validation/version_numbers.h"

namespace {

constexpr std::int32_t kHostColumnBufferSize = 256;

}  // namespace

int ValidateHostVersions(Database& database, std::string minimumVersion, DbType dbType) {
  std::cout << "Validating PYLON hosts versions..." << std::endl;
  const bool passed = CheckHostVersions(database, minimumVersion, dbType);
  std::cout << "Validation completed." << std::endl;
  return passed ? 0 : 1;
}

bool CheckHostVersions(Database& database, const std::string& minimumVersion, DbType dbType) {
  const std::string query = SelectQueryVariant(kHostsQuery, dbType);
  try {
    const std::unique_ptr<RowReader> rows = database.RunQuery(query);
    int count = 0;
    while (rows->FetchRow()) {
      const std::string version = rows->GetString(1, kHostColumnBufferSize);
      if (IsVersionAtLeast(version, minimumVersion)) continue;
      const std::string address = rows->GetString(2, kHostColumnBufferSize);
      std::cerr << "WARNING: pylon-version -> " << version << " host IP: " << address << std::endl;
      ++count;
    }
    if (count < 1) return true;
    std::cerr << "ERROR: wrong-host-version-count -> " << count << std::endl;
    return false;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    ReportStatementFailure(query, failure);
    return false;
  }
}
