#pragma once

#include <string>
#include <string_view>

/// The characters that trimming removes: space, line feed, carriage return, horizontal tab,
/// vertical tab and form feed. No other byte counts as a blank.
inline constexpr std::string_view kBlankSet = " \n\r\t\v\f";

/// Removes every leading and trailing blank in place; inner characters stay.
void Trim(std::string& text);

/// A trimmed copy; the argument stays as it was.
std::string Trimmed(std::string_view text);

/// The trimmed part of the text, without copying it.
std::string_view TrimmedView(std::string_view text);
