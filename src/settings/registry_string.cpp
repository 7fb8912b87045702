#include "settings/registry_string.h"

long QueryRegistryString(const RegistryKey& key, const std::string& valueName, std::string& value,
                         std::string_view defaultValue) {
  value = defaultValue;
  std::string data;
  const long status = QueryRegistryValue(key, valueName, data);
  if (status != kRegistrySuccess) return status;
  value = data.substr(0, data.find('\0'));
  return kRegistrySuccess;
}
