#include "settings/db_type_detection.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "db/ascii_text.h"
#include "platform/registry.h"
#include "settings/dsn_setting.h"

namespace {

/// What the driver name reads as when the data source is not listed.
constexpr const char* kUnreadDriver = "bad bad";

/// The DSN as a failure text can carry it: such a text ends at its first NUL byte, so each one is
/// written as "\\0".
std::string ShowNulBytes(const std::string& dsn) {
  std::string shown;
  for (const char c : dsn) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  return shown;
}

}  // namespace

std::string GetDsnDriver(const std::string& dsn) {
  const std::string keyPath(kOdbcDataSourcesKeyPath);
  const std::optional<RegistryKey> key = OpenRegistryKey(keyPath);
  if (!key) {
    throw std::runtime_error("Error occured while reading settings from registry key " + keyPath);
  }
  std::string driver = kUnreadDriver;
  // A name holding a NUL byte would be looked up as the text before it, which names another data
  // source or, when it begins with one, the first of the list: such a name is not listed.
  if (dsn.find('\0') == std::string::npos) QueryRegistryString(*key, dsn, driver, kUnreadDriver);
  if (driver == kUnreadDriver) {
    const std::string shown = ShowNulBytes(dsn);
    throw std::runtime_error("Error occured while reading settings for data source " + shown +
                             " from registry. The data was expected in key:" + keyPath +
                             ", registry value name:" + shown);
  }
  return driver;
}

DetectedDbType DetectDbTypeFromDsn(const std::string& dsn) {
  const std::string driver = LowerCaseAscii(GetDsnDriver(dsn));
  std::cout << "Driver from DSN: '" << driver << "'" << std::endl;
  return DetectDbTypeFromDriverName(driver);
}

DetectedDbType DetectDbTypeFromDriverName(std::string_view lowerCaseDriverName) {
  for (const DbTypeFacts& facts : kDbTypeFacts) {
    const bool named =
        (!facts.driverNamePart.empty() &&
         lowerCaseDriverName.find(facts.driverNamePart) != std::string_view::npos) ||
        std::any_of(facts.driverNamePrefixes.begin(), facts.driverNamePrefixes.end(),
                    [&](std::string_view prefix) {
                      return !prefix.empty() && lowerCaseDriverName.starts_with(prefix);
                    });
    if (named) return {facts.dbType, std::string(facts.name)};
  }
  return {};
}
