#include "platform/environment.h"

#include <cstdlib>

std::optional<std::string> ReadEnvironmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}
