#pragma once

#include <string>
#include <string_view>

/// Encodes UTF-16 code units as UTF-8. A surrogate that is not part of a pair becomes "?".
std::string WideToUtf8(std::u16string_view text);
