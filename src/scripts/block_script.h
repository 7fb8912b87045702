#pragma once

#include <string>
#include <string_view>

#include "db/database.h"
#include "db/db_type.h"
#include "scripts/script_line_reader.h"

/// Runs a block script: each block of lines up to a line whose trimmed form is the kind's
/// terminator ("go" for SQL Server, "/" for Oracle and PostgreSQL) is executed as one statement,
/// and so is what remains at the end of the file. Oracle blocks ended by a terminator lose their
/// last character unless they begin with "begin" or "declare".
///
/// With a non-empty tag (tag mode) lines are skipped up to and including the line "<tag/>", lines
/// of the form "<name/>" are tag lines rather than SQL, and after the whole file has run the last
/// tag line passed is recorded in TWX_PATCH_VERSION.
///
/// Throws std::runtime_error "Cannot open block command script file '<file>'." for a file that
/// cannot be opened and "RunSqlBlockCommandScript() Invalid DB type." for a kind without a
/// terminator, both before anything is written. Any later failure writes the "Error while
/// executing <file>:<line>" line to standard error and ends the call normally.
void RunSqlBlockCommandScript(const std::string& scriptFile, Database& database, DbType dbType,
                              const std::string& tag);

/// The same on a script whose file is already open: everything after the open test.
void RunSqlBlockCommandScript(ScriptLineReader& reader, const std::string& scriptFile,
                              Database& database, DbType dbType, const std::string& tag);

/// The terminator line of the kind; throws std::runtime_error for a kind without one.
std::string_view GetBlockTerminator(DbType dbType);
