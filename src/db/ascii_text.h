#pragma once

#include <string>
#include <string_view>

/// The text with ASCII "A" to "Z" turned into "a" to "z"; every other byte unchanged.
std::string LowerCaseAscii(std::string_view text);

/// True when the text begins with the word, compared without regard to ASCII case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerCaseWord);
