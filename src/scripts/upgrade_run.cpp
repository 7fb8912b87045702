#include "scripts/upgrade_run.h"

#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "db/interruption.h"
#include "driver/command_line.h"
#include "driver/source_version.h"
#include "platform/secret_wipe.h"
#include "scripts/batch_file.h"
#include "scripts/block_script.h"
#include "scripts/command_script.h"
#include "scripts/procedure_script.h"
#include "scripts/script_catalogue.h"

namespace {

constexpr std::array<int, 3> kStepBaseVersions = {550, 600, 650};

/// Hands one script file to the runner of its kind; an unknown kind runs nothing.
void RunScriptOfKind(std::string_view kind, const std::string& scriptFile, DbType dbType,
                     StatementExecutor& executor, const std::string& buildTag) {
  if (kind == "cmds") {
    RunCommandScript(scriptFile, executor);
  } else if (kind == "block") {
    RunSqlBlockCommandScript(scriptFile, executor, dbType, std::string());
  } else if (kind == "tag") {
    RunSqlBlockCommandScript(scriptFile, executor, dbType, buildTag);
  } else if (kind == "proc") {
    RunProcedureScript(scriptFile, executor);
  } else if (kind == "batch") {
    RunBatchFile(scriptFile, executor, dbType);
  }
}

/// Prints an entry's lines and runs its script file.
void RunScriptEntry(const std::string& entry, const std::string& pathPrefix, DbType dbType,
                    StatementExecutor& executor, const std::string& buildTag) {
  ThrowIfInterrupted();
  const std::size_t colon = entry.find(':');
  const std::string kind = colon == std::string::npos ? entry : entry.substr(0, colon);
  const std::string fileName = colon == std::string::npos ? entry : entry.substr(colon + 1);
  std::cout << "type : '" << kind << "'" << std::endl;
  std::cout << "script : '" << fileName << "'" << std::endl;
  const std::string scriptFile = pathPrefix + fileName;
  std::cout << "scriptFile : '" << scriptFile << "'" << std::endl;
  RunScriptOfKind(kind, scriptFile, dbType, executor, buildTag);
  // What a file began it also ends: the next file must not run inside its transaction.
  executor.EndOpenTransaction(true);
}

/// Empties the schema tables, launches liftaide for the step and returns its status.
int LaunchLiftaide(int baseVersion, StatementExecutor& executor, LiftaideLauncher& launcher,
                   const std::string& dsn, const std::string& userName,
                   const std::string& password) {
  ResetSchemaHash(executor);
  std::cout << "Calling liftaide with the following command line:" << std::endl;
  std::cout << BuildLaunchCommandLine(baseVersion, dsn, userName, password, true) << std::endl;
  ThrowIfInterrupted();
  std::vector<std::string> arguments = BuildLaunchArguments(baseVersion, dsn, userName, password);
  const int status = launcher.Launch(arguments);
  for (std::string& argument : arguments) WipeSecret(argument);
  return status;
}

}  // namespace

void RunUpgradeStep(int baseVersion, DbType dbType, StatementExecutor& executor,
                    const std::string& buildTag, bool afterLaunch) {
  const std::string folder = GetScriptFolder(baseVersion, dbType);
  const std::vector<std::string> entries =
      buildTag.empty() ? GetScripts(baseVersion, dbType, afterLaunch)
                       : GetBuildToBuildScripts(baseVersion, dbType, afterLaunch);
  const std::string pathPrefix = ".\\" + folder + "\\";
  std::cout << "string path : '"
            << "."
            << "'" << std::endl;
  std::cout << "path : '" << pathPrefix << "'" << std::endl;
  for (const std::string& entry : entries) {
    RunScriptEntry(entry, pathPrefix, dbType, executor, buildTag);
  }
}

int RunUpgrade(StatementExecutor& executor, LiftaideLauncher& launcher, DbType dbType,
               std::int32_t sourceVersion, const std::string& dsn, const std::string& userName,
               const std::string& password, const std::string& buildTag,
               const std::string& ormObjectCount) {
  if (!IsSupportedSourceVersion(sourceVersion)) return 1;
  const bool launchSkipped = !buildTag.empty() && ParseDecimalInt32(ormObjectCount.c_str()) <= 0;
  for (const int baseVersion : kStepBaseVersions) {
    if (baseVersion < sourceVersion) continue;
    RunUpgradeStep(baseVersion, dbType, executor, buildTag, false);
    if (launchSkipped) continue;
    const int status = LaunchLiftaide(baseVersion, executor, launcher, dsn, userName, password);
    if (status != 0) {
      std::cerr << "ERROR: liftaide failed: " << status << std::endl;
      return 1;
    }
    RunUpgradeStep(baseVersion, dbType, executor, buildTag, true);
  }
  return 0;
}

int RunUpgrade(SQLHDBC connection, DbType dbType, std::int32_t sourceVersion,
               const std::string& dsn, const std::string& userName, const std::string& password,
               const std::string& buildTag, const std::string& ormObjectCount) {
  ConnectionExecutor executor(connection, dbType);
  ProcessLiftaideLauncher launcher;
  return RunUpgrade(executor, launcher, dbType, sourceVersion, dsn, userName, password, buildTag,
                    ormObjectCount);
}

void ResetSchemaHash(StatementExecutor& executor) {
  executor.ExecuteOnce("DELETE FROM TWX_TABLE");
  executor.ExecuteOnce("DELETE FROM TWX_INDEX_COLUMN");
  executor.ExecuteOnce("DELETE FROM TWX_SCHEMA_HASH");
}

void ResetSchemaHash(SQLHDBC connection) {
  // The three statements are the program's own: none of them begins a transaction.
  ConnectionExecutor executor(connection, DbType::none);
  ResetSchemaHash(executor);
}
