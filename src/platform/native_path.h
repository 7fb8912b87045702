#pragma once

#include <string>
#include <string_view>

/// Paths are formed and printed with the backslash as separator; this gives the path to open on
/// this system.
std::string ToNativePath(std::string_view path);
