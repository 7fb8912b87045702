#pragma once

#include <string>

/// Overwrites the whole allocation of a string with zero bytes (not only its current length) in a
/// way the compiler may not drop, then empties it. For texts that held a password.
void WipeSecret(std::string& text);
void WipeSecret(std::u16string& text);
