#pragma once

#include <cstdint>

/// True for 550 to 659; otherwise writes "ERROR: Incorrect Database Version: " and the version to
/// standard error and returns false.
bool IsSupportedSourceVersion(std::int32_t version);
