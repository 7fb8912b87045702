#pragma once

#include <string>
#include <string_view>

#include "db/db_type.h"

/// The kind recognised from a data source's driver, and its name for messages (empty for none).
struct DetectedDbType {
  DbType dbType = DbType::none;
  std::string name;
};

/// The driver name of a system data source. Throws std::runtime_error when it is not listed.
std::string GetDsnDriver(const std::string& dsn);

/// Prints "Driver from DSN: '<driver, lower-cased>'" and recognises the kind from the driver name.
DetectedDbType DetectDbTypeFromDsn(const std::string& dsn);

/// The kind that a lower-cased driver name stands for, tested in this order: "postgre" anywhere
/// (postgresql); starting with "mssql", "sql server" or "sql native client" (mssql); "oracle"
/// anywhere (oracle); "db2" anywhere (db2); otherwise none, with an empty name.
DetectedDbType DetectDbTypeFromDriverName(std::string_view lowerCaseDriverName);
