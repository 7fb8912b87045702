#pragma once

#include <optional>
#include <string>

/// The value of an environment variable of the process; empty optional when it is not set (a
/// variable set to the empty text gives an empty string).
std::optional<std::string> ReadEnvironmentVariable(const std::string& name);
