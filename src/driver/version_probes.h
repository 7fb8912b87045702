#pragma once

#include <string>
#include <string_view>

#include "db/database.h"

inline constexpr const char* kPatchVersionQuery =
    "SELECT COALESCE(CURRENT_VERSION,INITIAL_VERSION) FROM TWX_PATCH_VERSION";
inline constexpr const char* kOrmObjectCountQuery =
    "SELECT cast(count(*) as text) FROM information_schema.tables WHERE  table_schema = 'tw' AND "
    "lower(table_name) = 'twx_file_system_mount_info'";

/// Reads COALESCE(CURRENT_VERSION, INITIAL_VERSION) of TWX_PATCH_VERSION into `result`. Any
/// failure gives an empty result quietly, except one whose text begins with "does not exist",
/// which is reported, leaves "0" and returns 1. Otherwise returns 0.
int ReadPatchVersion(Database& database, std::string& result);

/// Reads the count of tables tw.twx_file_system_mount_info into `result`, by the same rules.
int ReadOrmObjectCount(Database& database, std::string& result);
