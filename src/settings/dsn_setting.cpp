#include "settings/dsn_setting.h"

#include <optional>
#include <stdexcept>

#include "settings/config_file.h"

namespace {

constexpr const char* kProductSettingsKeyPath = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
constexpr const char* kDsnValueName = "1";
/// What the value reads as when it could not be read.
constexpr const char* kUnreadValue = " ";

}  // namespace

std::string ReadDsnSetting() {
  std::string dsn = ReadConfigDsn(GetConfigFilePath());
  if (!dsn.empty()) return dsn;
  return ReadRegistryDsn();
}

std::string ReadRegistryDsn() {
  const std::optional<RegistryKey> key = OpenRegistryKey(kProductSettingsKeyPath);
  if (!key) {
    throw std::runtime_error(
        std::string("Error occured while reading settings from registry key ") +
        kProductSettingsKeyPath);
  }
  std::string dsn;
  QueryRegistryString(*key, kDsnValueName, dsn, kUnreadValue);
  if (dsn == kUnreadValue) {
    throw std::runtime_error(
        std::string("Error occured while reading settings. The data was expected in key:") +
        kProductSettingsKeyPath);
  }
  if (dsn.empty()) return kDefaultDsn;
  return dsn;
}

long QueryRegistryString(const RegistryKey& key, const std::string& valueName, std::string& value,
                         std::string_view defaultValue) {
  value = defaultValue;
  std::string data;
  const long status = QueryRegistryValue(key, valueName, data);
  if (status != kRegistrySuccess) return status;
  value = data.substr(0, data.find('\0'));
  return kRegistrySuccess;
}
