#pragma once

#include <optional>

#include "driver/run_settings.h"

/// Reads the options into the settings, printing "Parsing command line arguments..." before and
/// "Command line arguments parsed." after. On an option error it writes the error and the usage
/// text and returns the exit status (1); otherwise it returns no value.
std::optional<int> ReadCommandLine(int argc, char* const argv[], RunSettings& settings);
