#pragma once

#include <string>
#include <string_view>

/// The text strictly between the first "<dsn>" and the first "</dsn>" after it, unchanged (blanks
/// and line breaks included). Empty when either marker is missing.
std::string ExtractConfigDsn(std::string_view configText);

/// The DSN that the configuration file at `configFilePath` names (see ExtractConfigDsn). The path
/// may use backslashes. A file that is missing or cannot be read gives the empty text.
std::string ReadConfigDsn(const std::string& configFilePath);
