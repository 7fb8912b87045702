#include "settings/registry_dsn.h"

#include <optional>
#include <stdexcept>

#include "platform/registry.h"
#include "settings/registry_string.h"

namespace {

constexpr const char* kProductSettingsKeyPath = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
constexpr const char* kDsnValueName = "1";
/// What the value reads as when it could not be read.
constexpr const char* kUnreadValue = " ";
constexpr const char* kDefaultDsn = "Halvik Tarnwell";

}  // namespace

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
