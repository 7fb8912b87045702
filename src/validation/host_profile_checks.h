#pragma once

#include <string>

#include "db/database.h"

/// Writes the host profiles whose profile version is below the minimum, by name, between two
/// count lines; 1 when there was one or the query failed (reported), 0 otherwise.
int CheckHostProfileVersions(Database& database, const std::string& minimumVersion);
