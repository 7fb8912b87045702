#pragma once

#include <string>
#include <string_view>

#include "db/database.h"

inline constexpr std::string_view kHostProfilesQuery =
    "SELECT PROFILE_NAME, CONFIG_INFO FROM TWX_PROFILE WHERE TYPE_CODE = 0";

/// Writes the host profiles whose profile version is below the minimum, by name, between two
/// count lines; 1 when there was one or the query failed (reported), 0 otherwise.
int CheckHostProfileVersions(Database& database, const std::string& minimumVersion);
