#pragma once

#include <string>
#include <string_view>

#include "settings/db_type_detection.h"

/// The text with ASCII "A" to "Z" turned into "a" to "z"; every other byte unchanged.
std::string LowerCaseAscii(std::string_view text);

/// The kind that a lower-cased driver name stands for, tested in this order: "postgre" anywhere
/// (postgresql); starting with "mssql", "sql server" or "sql native client" (mssql); "oracle"
/// anywhere (oracle); "db2" anywhere (db2); otherwise none, with an empty name.
DetectedDbType DetectDbTypeFromDriverName(std::string_view lowerCaseDriverName);
