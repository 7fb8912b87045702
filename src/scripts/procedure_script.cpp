#include "scripts/procedure_script.h"
#include "db/ascii_text.h"

#include <array>
#include <exception>
#include <stdexcept>
#include <string_view>

#include "scripts/script_file.h"
#include "scripts/script_output.h"
#include "scripts/script_text.h"

namespace {

constexpr std::array<std::string_view, 4> kStartPhrases = {
    "create procedure",
    "create function",
    "create or replace procedure",
    "create or replace function",
};

/// The definition in progress, and whether the first definition has begun.
struct ProcedureState {
  std::string definition;
  bool insideDefinition = false;
};

/// Executes the definition in progress when there is one, and empties it.
void CompleteDefinition(ProcedureState& state, Database& database) {
  Trim(state.definition);
  if (state.insideDefinition && !state.definition.empty()) {
    database.ExecuteOnce(state.definition);
    state.definition.clear();
  }
}

void AddProcedureLine(const std::string& line, ProcedureState& state, Database& database) {
  if (IsProcedureStartLine(line)) {
    CompleteDefinition(state, database);
    state.insideDefinition = true;
  } else if (!state.insideDefinition) {
    return;
  }
  state.definition += line;
  state.definition += '\n';
}

}  // namespace

bool IsProcedureStartLine(const std::string& line) {
  const std::string lower = LowerCaseAscii(line);
  for (const std::string_view phrase : kStartPhrases) {
    if (lower.find(phrase) != std::string::npos) return true;
  }
  return false;
}

void RunProcedureScript(const std::string& path, Database& database) {
  ScriptFile file(path);
  if (!file.IsOpen()) {
    throw std::runtime_error("Cannot open procedures definition file '" + path + "'.");
  }
  ScriptLineReader reader(file.stream(), path);
  RunProcedureScript(reader, path, database);
}

void RunProcedureScript(ScriptLineReader& reader, const std::string& path, Database& database) {
  PrintScriptPath(path);
  PrintExecutingSqlCommands();
  try {
    ProcedureState state;
    ForEachScriptLine(reader, [&](const std::string& line) {
      AddProcedureLine(line, state, database);
      return true;
    });
    CompleteDefinition(state, database);
  } catch (const std::exception& failure) {
    PrintExecutionError(path, reader.lineCount(), failure);
    throw;
  }
}
