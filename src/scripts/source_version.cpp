#include "scripts/source_version.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iostream>

bool IsSupportedSourceVersion(std::int32_t version) {
  if (version >= 550 && version <= 659) return true;
  std::cerr << "ERROR: Incorrect Database Version: " << version << std::endl;
  return false;
}

std::int32_t ParseDecimalInt32(const char* text) {
  errno = 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}
