#include "scripts/batch_file.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "scripts/script_file.h"
#include "scripts/script_output.h"
#include "scripts/script_text.h"

namespace {

[[noreturn]] void ThrowCannotOpenBatchFile(const std::string& path) {
  throw std::runtime_error("Cannot open batch file '" + path + "'.");
}

}  // namespace

std::string ReadBatchFile(const std::string& path, DbType dbType) {
  ScriptFile file(path);
  if (!file.IsOpen()) ThrowCannotOpenBatchFile(path);
  ScriptLineReader reader(file.stream(), path);
  return ReadBatchFile(reader, path, dbType);
}

std::string ReadBatchFile(ScriptLineReader& reader, const std::string& path, DbType dbType) {
  PrintScriptPath(path);
  const char lineSeparator = dbType == DbType::oracle ? ' ' : '\n';
  std::string text;
  try {
    ForEachScriptLine(reader, [&](const std::string& line) {
      text += line;
      text += lineSeparator;
      return true;
    });
  } catch (const std::exception& failure) {
    std::cerr << "Error while reading file " << path << ", reason: " << failure.what() << std::endl;
    throw;
  }
  Trim(text);
  if (!text.empty()) std::cout << "Command: " << text << std::endl;
  return text;
}

void RunBatchFile(const std::string& path, Database& database, DbType dbType) {
  if (!ScriptFile(path).IsOpen()) ThrowCannotOpenBatchFile(path);
  PrintScriptPath(path);
  PrintExecutingSqlCommands();
  try {
    database.ExecuteOnce(ReadBatchFile(path, dbType));
  } catch (const std::exception& failure) {
    PrintExecutionError(path, failure);
    throw;
  }
}
