#include "scripts/block_script.h"
#include "db/ascii_text.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "db/interruption.h"
#include "scripts/script_file.h"
#include "scripts/script_output.h"
#include "scripts/script_text.h"

namespace {

/// What one call keeps between lines.
struct BlockScriptState {
  DbType dbType;
  std::string_view terminator;
  bool tagMode;
  std::string block;
  std::string lastTag;
};

bool IsTagLine(std::string_view trimmedLine) {
  return trimmedLine.size() >= 3 && trimmedLine.starts_with('<') && trimmedLine.ends_with("/>");
}

std::string_view GetTagName(std::string_view tagLine) {
  return tagLine.substr(1, tagLine.size() - 3);
}

/// Oracle statements ended by a terminator are written with a closing character (their
/// semicolon) that only code blocks keep.
bool KeepsClosingCharacter(const std::string& block) {
  return StartsWithIgnoringCase(block, "begin") || StartsWithIgnoringCase(block, "declare");
}

/// Executes the block ended by a terminator line, if it holds anything, and empties it.
void CompleteBlock(BlockScriptState& state, Database& database) {
  Trim(state.block);
  if (!state.block.empty()) {
    if (state.dbType == DbType::oracle && !KeepsClosingCharacter(state.block)) {
      state.block.pop_back();
    }
    database.ExecuteOnce(state.block);
  }
  state.block.clear();
}

void AddBlockLine(const std::string& line, BlockScriptState& state, Database& database) {
  const std::string_view trimmed = TrimmedView(line);
  if (state.tagMode && IsTagLine(trimmed)) {
    state.lastTag = GetTagName(trimmed);
  } else if (trimmed == state.terminator) {
    CompleteBlock(state, database);
  } else {
    state.block += line;
    state.block += '\n';
  }
}

/// Skips lines up to and including the start tag line; the rest of the file is then empty when
/// the tag is not found.
void SkipToStartTag(ScriptLineReader& reader, const std::string& tag) {
  const std::string startLine = "<" + tag + "/>";
  std::cout << "Ignoring SQL commands until tag appeareance: " << startLine << std::endl;
  ForEachScriptLine(reader, [&](const std::string& line) {
    if (TrimmedView(line) != startLine) return true;
    std::cout << "Found tag " << startLine << " at line " << reader.lineCount() << std::endl;
    return false;
  });
}

void RecordPatchVersion(const std::string& lastTag, Database& database) {
  const std::string update = "UPDATE TWX_PATCH_VERSION SET CURRENT_VERSION = '" + lastTag + "';";
  std::cout << "Last tag:" << lastTag << std::flush;
  std::cout << "Update command :" << update << std::flush;
  database.ExecuteOnce(update);
}

void RunBlocks(ScriptLineReader& reader, BlockScriptState& state, const std::string& tag,
               Database& database) {
  if (state.tagMode) SkipToStartTag(reader, tag);
  PrintExecutingSqlCommands();
  if (state.tagMode) {
    std::cout << "Starting from line: " << reader.lineCount() + 1 << std::endl;
  }
  ForEachScriptLine(reader, [&](const std::string& line) {
    AddBlockLine(line, state, database);
    return true;
  });
  Trim(state.block);
  if (!state.block.empty()) database.ExecuteOnce(state.block);
  if (!state.lastTag.empty()) RecordPatchVersion(state.lastTag, database);
}

/// A failed file must not leave its transaction open: the files after it would run inside it, and
/// the server would undo all of them at the end.
void RollBackTransactionLeftOpen(const std::string& scriptFile, Database& database) {
  if (!database.EndOpenTransaction(false)) return;
  std::cerr << "ERROR: The transaction left open by " << scriptFile
            << " was rolled back: the statements that ran in it are undone." << std::endl;
}

}  // namespace

std::string_view GetBlockTerminator(DbType dbType) {
  const std::string_view terminator = GetDbTypeFacts(dbType).blockTerminator;
  if (terminator.empty()) throw std::runtime_error("RunSqlBlockCommandScript() Invalid DB type.");
  return terminator;
}

void RunSqlBlockCommandScript(const std::string& scriptFile, Database& database, DbType dbType,
                              const std::string& tag) {
  ScriptFile file(scriptFile);
  if (!file.IsOpen()) {
    throw std::runtime_error("Cannot open block command script file '" + scriptFile + "'.");
  }
  ScriptLineReader reader(file.stream(), scriptFile);
  RunSqlBlockCommandScript(reader, scriptFile, database, dbType, tag);
}

void RunSqlBlockCommandScript(ScriptLineReader& reader, const std::string& scriptFile,
                              Database& database, DbType dbType, const std::string& tag) {
  BlockScriptState state{dbType, GetBlockTerminator(dbType), !tag.empty(), {}, {}};
  PrintScriptPath(scriptFile);
  try {
    RunBlocks(reader, state, tag, database);
    database.EndOpenTransaction(true);
  } catch (const std::exception& failure) {
    std::cout << std::flush;
    PrintExecutionError(scriptFile, reader.lineCount(), failure);
    RollBackTransactionLeftOpen(scriptFile, database);
    // A stop asked for by the operator ends the run, not only this script.
    if (IsRunInterrupted()) throw;
  }
}
