#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

/// Sets `value` to `defaultValue`, then reads the value `valueName` of `key`. On success sets
/// `value` to the text read, up to its first NUL byte, and returns 0; otherwise returns the
/// registry status and `value` keeps the default. The value's registry type is not checked.
long QueryRegistryString(const RegistryKey& key, const std::string& valueName, std::string& value,
                         std::string_view defaultValue);
