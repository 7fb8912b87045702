#include "driver/source_version.h"

#include <iostream>

bool IsSupportedSourceVersion(std::int32_t version) {
  if (version >= 550 && version <= 659) return true;
  std::cerr << "ERROR: Incorrect Database Version: " << version << std::endl;
  return false;
}
