#pragma once

#include <string>

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
