#pragma once

#include <string>

/// The path of the server configuration file, computed once and cached for the run.
std::string GetConfigFilePath();

/// The data source name from the server configuration file or, failing that, from the product
/// settings. Throws std::runtime_error when the product settings cannot be read.
std::string ReadDsnSetting();
