#pragma once

#include <string>

#include "db/database.h"
#include "db/db_type.h"
#include "scripts/script_line_reader.h"

/// Reads a batch file into one statement: every line followed by a blank for Oracle, or by a line
/// feed for any other kind, the whole text trimmed. Writes "** <path> **" and, for a text that is
/// not empty, "Command: <text>" to standard output. Throws std::runtime_error "Cannot open batch
/// file '<path>'." for a file that cannot be opened; a failure while reading writes the "Error
/// while reading file" line to standard error and propagates.
std::string ReadBatchFile(const std::string& path, DbType dbType);

/// The same on a batch file that is already open: everything after the open test.
std::string ReadBatchFile(ScriptLineReader& reader, const std::string& path, DbType dbType);

/// Runs a batch file as one statement, even an empty one. Throws like ReadBatchFile for a file
/// that cannot be opened; any later failure writes the "Error while executing <path>" line to
/// standard error and propagates.
void RunBatchFile(const std::string& path, Database& database, DbType dbType);
