#include "settings/dsn_setting.h"

#include "settings/config_dsn.h"
#include "settings/registry_dsn.h"

std::string ReadDsnSetting() {
  std::string dsn = ReadConfigDsn(GetConfigFilePath());
  if (!dsn.empty()) return dsn;
  return ReadRegistryDsn();
}
