#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The dot-separated numbers of a version text, each read like the C library's atoi.
std::vector<std::int32_t> ParseVersionNumbers(const std::string& text);

/// Whether the version is at least the minimum, compared number by number.
bool IsVersionAtLeast(const std::string& version, const std::string& minimum);
