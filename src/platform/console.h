#pragma once

#include <string>

/// Reads one whole line from standard input, without its line end. False at end of input.
bool ReadConsoleLine(std::string& line);

/// Sets up the standard streams before anything is printed.
void PrepareConsole();
