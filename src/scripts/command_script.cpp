#include "scripts/command_script.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "scripts/script_file.h"
#include "scripts/script_output.h"
#include "scripts/script_text.h"

namespace {

/// Adds one line to the statement in progress; a semicolon in the line completes the statement,
/// which is echoed and executed, and the text after that semicolon starts the next one.
void AddCommandLine(const std::string& line, std::string& statement, Database& database) {
  const std::size_t semicolon = line.find(';');
  if (semicolon == std::string::npos) {
    statement += line;
    statement += '\n';
    return;
  }
  statement.append(line, 0, semicolon);
  Trim(statement);
  if (!statement.empty()) {
    std::cout << statement << std::endl;
    database.ExecuteOnce(statement);
  }
  statement.assign(line, semicolon + 1);
}

}  // namespace

void RunCommandScript(const std::string& path, Database& database) {
  ScriptFile file(path);
  if (!file.IsOpen()) throw std::runtime_error("Cannot open command script file '" + path + "'.");
  ScriptLineReader reader(file.stream(), path);
  RunCommandScript(reader, path, database);
}

void RunCommandScript(ScriptLineReader& reader, const std::string& path, Database& database) {
  PrintScriptPath(path);
  PrintExecutingSqlCommands();
  try {
    std::string statement;
    ForEachScriptLine(reader, [&](const std::string& line) {
      AddCommandLine(line, statement, database);
      return true;
    });
    Trim(statement);
    if (!statement.empty()) database.ExecuteOnce(statement);
  } catch (const std::exception& failure) {
    PrintExecutionError(path, reader.lineCount(), failure);
    throw;
  }
}
