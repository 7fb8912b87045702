#pragma once

#include <string>

#include "db/database.h"
#include "scripts/script_line_reader.h"

/// Runs a procedure definition file: each definition, from a line holding "create procedure",
/// "create function", "create or replace procedure" or "create or replace function" (in any case)
/// up to the line before the next such line, is executed as one statement. Lines before the first
/// definition are never executed. Throws std::runtime_error "Cannot open procedures definition
/// file '<path>'." for a file that cannot be opened. Any later failure writes the "Error while
/// executing <path>:<line>" line to standard error and propagates.
void RunProcedureScript(const std::string& path, Database& database);

/// The same on a script whose file is already open: everything after the open test.
void RunProcedureScript(ScriptLineReader& reader, const std::string& path, Database& database);

/// True when the line holds one of the four start phrases, compared in lower case.
bool IsProcedureStartLine(const std::string& line);
