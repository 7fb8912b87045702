#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

/// The entries of one INI section: value by name.
using IniSection = std::map<std::string, std::string, std::less<>>;

/// The entries of the section whose header line holds exactly `sectionName` between "[" and "]".
/// Empty optional when no header names it.
///
/// Lines are read as follows, after blanks (" \t\r\v\f") around the whole line are removed:
/// - an empty line, or one whose first character is ";" or "#", is skipped;
/// - "[" ... "]" is a section header; the text between the brackets is compared unchanged;
/// - name=value is an entry, split at the first "="; blanks around the name and around the value
///   are removed, and a value that then starts and ends with a double quote is the text between
///   them, verbatim;
/// - any other line is skipped.
/// Entries of every header that names the section are collected; the first entry of a name wins.
std::optional<IniSection> FindIniSection(std::string_view text, std::string_view sectionName);
