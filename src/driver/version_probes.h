#pragma once

#include "db/database.h"

#include <string>

/// Reads COALESCE(CURRENT_VERSION, INITIAL_VERSION) of TWX_PATCH_VERSION into `result`. Any
/// failure gives an empty result quietly, except one whose text begins with "does not exist",
/// which is reported, leaves "0" and returns 1. Otherwise returns 0.
int ReadPatchVersion(Database& database, std::string& result);

/// Reads the count of tables tw.twx_file_system_mount_info into `result`, by the same rules.
int ReadOrmObjectCount(Database& database, std::string& result);
