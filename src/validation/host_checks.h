#pragma once

#include <string>
#include <string_view>

#include "db/database.h"
#include "db/db_type.h"

inline constexpr std::string_view kHostsQuery =
    "SELECT PRODUCT_VERSION, IP_ADDRESS FROM TWX_HOST WITH (NOLOCK)";

/// Prints the stage lines around CheckHostVersions; 0 when every host passed, 1 otherwise.
int ValidateHostVersions(Database& database, std::string minimumVersion, DbType dbType);

/// Writes a warning for every host whose product version is below the minimum and their count;
/// true when there is none. A failed query is reported and counts as not passed.
bool CheckHostVersions(Database& database, const std::string& minimumVersion, DbType dbType);
