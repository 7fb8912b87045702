#include "settings/db_type_detection.h"

#include <optional>
#include <stdexcept>

#include "platform/registry.h"
#include "settings/registry_string.h"

namespace {

/// What the driver name reads as when the data source is not listed.
constexpr const char* kUnreadDriver = "bad bad";

}  // namespace

std::string GetDsnDriver(const std::string& dsn) {
  const std::string keyPath(kOdbcDataSourcesKeyPath);
  const std::optional<RegistryKey> key = OpenRegistryKey(keyPath);
  if (!key) {
    throw std::runtime_error("Error occured while reading settings from registry key " + keyPath);
  }
  std::string driver;
  QueryRegistryString(*key, dsn, driver, kUnreadDriver);
  if (driver == kUnreadDriver) {
    throw std::runtime_error("Error occured while reading settings for data source " + dsn +
                             " from registry. The data was expected in key:" + keyPath +
                             ", registry value name:" + dsn);
  }
  return driver;
}
