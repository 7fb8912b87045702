#include "settings/config_file.h"

#include <optional>

#include "platform/default_paths.h"
#include "platform/environment.h"
#include "platform/native_path.h"
#include "platform/text_file.h"

namespace {

constexpr const char* kConfigFolderVariable = "HALVIK_CFG_DIR";
constexpr const char* kConfigFileBelowFolder = "\\halvik-twx\\twxd.cfg";
constexpr std::string_view kDsnStart = "<dsn>";
constexpr std::string_view kDsnEnd = "</dsn>";

}  // namespace

std::string ComputeConfigFilePath() {
  const std::optional<std::string> folder = ReadEnvironmentVariable(kConfigFolderVariable);
  if (folder) return *folder + kConfigFileBelowFolder;
  return GetDefaultConfigFilePath();
}

std::string GetConfigFilePath() {
  static std::string cachedPath;
  if (cachedPath.empty()) cachedPath = ComputeConfigFilePath();
  return cachedPath;
}

std::string ExtractConfigDsn(std::string_view configText) {
  const std::size_t start = configText.find(kDsnStart);
  if (start == std::string_view::npos) return {};
  const std::size_t valueStart = start + kDsnStart.size();
  const std::size_t end = configText.find(kDsnEnd, valueStart);
  if (end == std::string_view::npos) return {};
  return std::string(configText.substr(valueStart, end - valueStart));
}

std::string ReadConfigDsn(const std::string& configFilePath) {
  const std::optional<std::string> text = ReadTextFile(ToNativePath(configFilePath));
  if (!text) return {};
  return ExtractConfigDsn(*text);
}
