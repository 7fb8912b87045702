#include "settings/config_dsn.h"

#include <optional>

#include "platform/native_path.h"
#include "platform/text_file.h"

namespace {

constexpr std::string_view kDsnStart = "<dsn>";
constexpr std::string_view kDsnEnd = "</dsn>";

}  // namespace

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
