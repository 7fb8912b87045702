#pragma once

#include <cstdint>
#include <exception>
#include <string_view>

/// The lines that the script runners share on the console.

/// Standard output: "** ", the path, " **".
void PrintScriptPath(std::string_view path);

/// Standard output: "Executing SQL commands:".
void PrintExecutingSqlCommands();

/// Standard error: "Error while executing ", the path, ":", the line number, ", reason: ", the
/// failure's text.
void PrintExecutionError(std::string_view path, std::uint64_t lineNumber,
                         const std::exception& failure);

/// Standard error: "Error while executing ", the path, ", reason: ", the failure's text.
void PrintExecutionError(std::string_view path, const std::exception& failure);
