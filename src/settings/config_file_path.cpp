#include "settings/config_file_path.h"

#include <optional>

#include "platform/environment.h"
#include "settings/dsn_setting.h"

namespace {

constexpr const char* kConfigFolderVariable = "HALVIK_CFG_DIR";
constexpr const char* kConfigFileBelowFolder = "\\halvik-twx\\twxd.cfg";
constexpr const char* kDefaultConfigFilePath = "/etc/halvik/tarnwell/twxd.cfg";

}  // namespace

std::string ComputeConfigFilePath() {
  const std::optional<std::string> folder = ReadEnvironmentVariable(kConfigFolderVariable);
  if (folder) return *folder + kConfigFileBelowFolder;
  return kDefaultConfigFilePath;
}

std::string GetConfigFilePath() {
  static std::string cachedPath;
  if (cachedPath.empty()) cachedPath = ComputeConfigFilePath();
  return cachedPath;
}
