#pragma once

#include <string>

#include "db/database.h"
#include "scripts/script_line_reader.h"

/// Runs a command script: statements separated by semicolons, each echoed and then executed. Text
/// after a line's first semicolon is joined, without a line break, to the text of the lines that
/// follow. The last statement, ended by the end of the file, is executed without an echo.
/// Throws std::runtime_error "Cannot open command script file '<path>'." for a file that cannot be
/// opened. Any later failure writes the "Error while executing <path>:<line>" line to standard
/// error and propagates.
void RunCommandScript(const std::string& path, Database& database);

/// The same on a script whose file is already open: everything after the open test.
void RunCommandScript(ScriptLineReader& reader, const std::string& path, Database& database);
