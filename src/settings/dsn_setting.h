#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

/// The DSN when the product settings value "1" is empty.
inline constexpr const char* kDefaultDsn = "Halvik Tarnwell";

/// The data source name from the server configuration file or, failing that, from the product
/// settings. Throws std::runtime_error when the product settings cannot be read.
std::string ReadDsnSetting();

/// The DSN held by value "1" of the product settings key
///   SOFTWARE\Halvik, Inc.\Halvik Tarnwell\DB
/// or kDefaultDsn when that value is empty. Throws std::runtime_error when the key cannot be
/// opened or the value cannot be read.
std::string ReadRegistryDsn();

/// Sets `value` to `defaultValue`, then reads the value `valueName` of `key`. On success sets
/// `value` to the text read, up to its first NUL byte, and returns 0; otherwise returns the
/// registry status and `value` keeps the default. The value's registry type is not checked.
long QueryRegistryString(const RegistryKey& key, const std::string& valueName, std::string& value,
                         std::string_view defaultValue);
