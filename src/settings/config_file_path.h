#pragma once

#include <string>

/// The path of the server configuration file as the environment gives it now, without the cache
/// of GetConfigFilePath: the value of HALVIK_CFG_DIR followed by "\halvik-twx\twxd.cfg" when the
/// variable is set (even to the empty text), else the built-in path. Backslashes are kept; the
/// path is made native when the file is opened.
std::string ComputeConfigFilePath();
