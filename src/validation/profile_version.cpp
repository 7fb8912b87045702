#include "validation/profile_version.h"

std::string ExtractProfileVersion(std::string_view configText) {
  const std::size_t tag = configText.find(kProfileVersionTag);
  if (tag == std::string_view::npos) return "0";
  std::string version(kProfileVersionLength, '\0');
  const std::string_view following = configText.substr(tag + kProfileVersionTag.size());
  following.copy(version.data(), kProfileVersionLength);
  return version;
}
