#pragma once

#include <string>
#include <string_view>

class Statement;

/// The local date and time, formatted "%Y-%m-%d %H:%M:%S".
std::string CurrentTimestamp();

/// The statement runner: prints the timestamp with " - Executing: ", the text, executes it, then
/// prints the timestamp with " - Done.". A failed execution propagates and prints no " - Done.".
void RunStatement(Statement& statement, std::string_view text);
