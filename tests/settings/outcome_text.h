#pragma once

#include <functional>
#include <string>

/// Empty when the two texts are equal, else a description of the difference.
std::string DescribeMismatch(const std::string& expected, const std::string& actual);

/// The result of `read`, or "runtime_error: " followed by the text of the runtime error it threw.
std::string ResultOrError(const std::function<std::string()>& read);
