#pragma once

#include <cstdint>

/// True for 550 to 659; otherwise writes "ERROR: Incorrect Database Version: " and the version to
/// standard error and returns false.
bool IsSupportedSourceVersion(std::int32_t version);

/// Converts like the C library's atoi, saturating to the 32-bit range.
std::int32_t ParseDecimalInt32(const char* text);
