#include "validation/host_profile_checks.h"

#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <string_view>

#include "db/check_failure.h"
#include "validation/profile_version.h"

namespace {

constexpr std::int32_t kProfileNameBufferSize = 512;
/// One profile's whole configuration text; the reader keeps its buffer for every row and resets
/// only its first byte, so a row costs work in proportion to its text.
constexpr std::int32_t kConfigBufferSize = 0xF00000;

/// Profiles below the minimum by name (a later row of the same name wins), and how many rows
/// were below it.
struct OutdatedProfiles {
  std::map<std::string, std::string> versionsByName;
  int count = 0;
};

OutdatedProfiles FindOutdatedProfiles(RowReader& rows, const std::string& minimumVersion) {
  OutdatedProfiles outdated;
  while (rows.FetchRow()) {
    std::string name = rows.GetString(1, kProfileNameBufferSize);
    std::string version = ExtractProfileVersion(rows.GetString(2, kConfigBufferSize));
    // Profile versions compare as byte strings, not as numbers.
    if (version < minimumVersion) {
      ++outdated.count;
      outdated.versionsByName[std::move(name)] = std::move(version);
    }
  }
  return outdated;
}

void WriteOutdatedProfiles(const OutdatedProfiles& outdated) {
  std::cerr << "ERROR: invalid-hostprofile-version -> " << outdated.count << std::endl;
  for (const auto& [name, version] : outdated.versionsByName) {
    std::cerr << "{HostProfile: " << name << ", Version: " << version << "}" << std::endl;
  }
  std::cerr << "ERROR: invalid-hostprofile-version-count -> " << outdated.count << std::endl;
}

}  // namespace

int CheckHostProfileVersions(Database& database, const std::string& minimumVersion) {
  try {
    const std::unique_ptr<RowReader> rows = database.RunQuery(kHostProfilesQuery);
    const OutdatedProfiles outdated = FindOutdatedProfiles(*rows, minimumVersion);
    int result = 0;
    if (outdated.count >= 1) {
      WriteOutdatedProfiles(outdated);
      result = 1;
    }
    return result;
  } catch (const std::exception& failure) {
    ReportQueryFailure(kHostProfilesQuery, failure);
    return 1;
  }
}
