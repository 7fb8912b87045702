// The profile versions of the host profiles against the minimum host version.
#include <array>
#include <cstring>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <string_view>

#include "db/statement.h"
#include "db/statement_runner.h"
#include "validation/host_checks.h"
#include "validation/profile_version.h"

namespace {

constexpr std::string_view kHostProfilesQuery =
    "SELECT PROFILE_NAME, CONFIG_INFO FROM TWX_PROFILE WHERE TYPE_CODE = 0";

constexpr std::size_t kProfileNameBufferSize = 512;
constexpr std::size_t kConfigBufferSize = 0xF00000;

/// The buffer that takes one profile's whole configuration text, reused for every row.
///
/// Only the part that a row's text covers is ever read back: the text ends at its terminating
/// NUL, and the profile version treats every byte past that end as NUL. So a row costs work in
/// proportion to its text, not to the buffer.
class ConfigBuffer {
 public:
  ConfigBuffer() : bytes_(std::make_unique_for_overwrite<char[]>(kConfigBufferSize)) {}

  /// Reads the column; a NULL column gives the empty text.
  std::string_view ReadText(Statement& statement, int column) {
    bytes_[0] = '\0';
    GetString(statement, column, bytes_.get(), static_cast<std::int32_t>(kConfigBufferSize));
    const void* end = std::memchr(bytes_.get(), '\0', kConfigBufferSize);
    const std::size_t length =
        end == nullptr ? kConfigBufferSize : static_cast<const char*>(end) - bytes_.get();
    return std::string_view(bytes_.get(), length);
  }

 private:
  std::unique_ptr<char[]> bytes_;
};

std::string ReadProfileName(Statement& statement) {
  std::array<char, kProfileNameBufferSize> buffer{};
  GetString(statement, 1, buffer.data(), static_cast<std::int32_t>(buffer.size()));
  return std::string(buffer.data());
}

/// Profiles below the minimum by name (a later row of the same name wins), and how many rows
/// were below it.
struct OutdatedProfiles {
  std::map<std::string, std::string> versionsByName;
  int count = 0;
};

OutdatedProfiles FindOutdatedProfiles(Statement& statement, const std::string& minimumVersion) {
  OutdatedProfiles outdated;
  ConfigBuffer config;
  while (FetchRow(statement)) {
    std::string name = ReadProfileName(statement);
    std::string version = ExtractProfileVersion(config.ReadText(statement, 2));
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

int CheckHostProfileVersions(SQLHDBC connection, const std::string& minimumVersion) {
  try {
    Statement statement;
    AllocateStatement(statement, connection);
    RunStatement(statement, kHostProfilesQuery);
    const OutdatedProfiles outdated = FindOutdatedProfiles(statement, minimumVersion);
    int result = 0;
    if (outdated.count >= 1) {
      WriteOutdatedProfiles(outdated);
      result = 1;
    }
    FreeStatement(statement);
    return result;
  } catch (const std::exception& failure) {
    std::cerr << "Error executing '" << kHostProfilesQuery << "'. Reason: " << failure.what()
              << std::endl;
    return 1;
  }
}
