#pragma once

#include <string>
#include <string_view>

/// The path of the server configuration file as the environment gives it now, without the cache
/// of GetConfigFilePath: the value of HALVIK_CFG_DIR followed by "\halvik-twx\twxd.cfg" when the
/// variable is set (even to the empty text), else the built-in path. Backslashes are kept; the
/// path is made native when the file is opened.
std::string ComputeConfigFilePath();

/// The path of twxd.cfg, computed on first use and kept for the rest of the run.
std::string GetConfigFilePath();

/// The text strictly between the first "<dsn>" and the first "</dsn>" after it, unchanged (blanks
/// and line breaks included). Empty when either marker is missing.
std::string ExtractConfigDsn(std::string_view configText);

/// The DSN that the configuration file at `configFilePath` names (see ExtractConfigDsn). The path
/// may use backslashes. A file that is missing or cannot be read gives the empty text.
std::string ReadConfigDsn(const std::string& configFilePath);
