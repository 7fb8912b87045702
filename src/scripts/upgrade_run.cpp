#include "scripts/upgrade_run.h"

#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "db/interruption.h"
#include "platform/secret_wipe.h"
#include "scripts/batch_file.h"
#include "scripts/block_script.h"
#include "scripts/command_script.h"
#include "scripts/procedure_script.h"
#include "scripts/script_catalogue.h"
#include "scripts/source_version.h"

namespace {

constexpr std::array<int, 3> kStepBaseVersions = {550, 600, 650};

/// Hands one script file to the runner of its kind; an unknown kind runs nothing.
void RunScriptOfKind(std::string_view kind, const std::string& scriptFile, DbType dbType,
                     Database& database, const std::string& buildTag) {
  if (kind == "cmds") {
    RunCommandScript(scriptFile, database);
  } else if (kind == "block") {
    RunSqlBlockCommandScript(scriptFile, database, dbType, std::string());
  } else if (kind == "tag") {
    RunSqlBlockCommandScript(scriptFile, database, dbType, buildTag);
  } else if (kind == "proc") {
    RunProcedureScript(scriptFile, database);
  } else if (kind == "batch") {
    RunBatchFile(scriptFile, database, dbType);
  }
}

/// Prints an entry's lines and runs its script file.
void RunScriptEntry(const std::string& entry, const std::string& pathPrefix, DbType dbType,
                    Database& database, const std::string& buildTag) {
  ThrowIfInterrupted();
  const std::size_t colon = entry.find(':');
  const std::string kind = colon == std::string::npos ? entry : entry.substr(0, colon);
  const std::string fileName = colon == std::string::npos ? entry : entry.substr(colon + 1);
  std::cout << "type : '" << kind << "'" << std::endl;
  std::cout << "script : '" << fileName << "'" << std::endl;
  const std::string scriptFile = pathPrefix + fileName;
  std::cout << "scriptFile : '" << scriptFile << "'" << std::endl;
  RunScriptOfKind(kind, scriptFile, dbType, database, buildTag);
  // What a file began it also ends: the next file must not run inside its transaction.
  database.EndOpenTransaction(true);
}

/// Empties the schema tables, launches liftaide for the step and returns its status.
int LaunchLiftaide(int baseVersion, Database& database, LiftaideLauncher& launcher,
                   const UpgradeRequest& request) {
  ResetSchemaHash(database);
  std::cout << "Calling liftaide with the following command line:" << std::endl;
  std::cout << BuildLaunchCommandLine(baseVersion, request.dsn, request.userName, request.password,
                                      true)
            << std::endl;
  ThrowIfInterrupted();
  std::vector<std::string> arguments =
      BuildLaunchArguments(baseVersion, request.dsn, request.userName, request.password);
  const int status = launcher.Launch(arguments);
  for (std::string& argument : arguments) WipeSecret(argument);
  return status;
}

}  // namespace

void RunUpgradeStep(int baseVersion, DbType dbType, Database& database, const std::string& buildTag,
                    bool afterLaunch) {
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
    RunScriptEntry(entry, pathPrefix, dbType, database, buildTag);
  }
}

int RunUpgrade(Database& database, LiftaideLauncher& launcher, const UpgradeRequest& request) {
  if (!IsSupportedSourceVersion(request.sourceVersion)) return 1;
  const bool launchSkipped =
      !request.buildTag.empty() && ParseDecimalInt32(request.ormObjectCount.c_str()) <= 0;
  for (const int baseVersion : kStepBaseVersions) {
    if (baseVersion < request.sourceVersion) continue;
    RunUpgradeStep(baseVersion, request.dbType, database, request.buildTag, false);
    if (launchSkipped) continue;
    const int status = LaunchLiftaide(baseVersion, database, launcher, request);
    if (status != 0) {
      std::cerr << "ERROR: liftaide failed: " << status << std::endl;
      return 1;
    }
    RunUpgradeStep(baseVersion, request.dbType, database, request.buildTag, true);
  }
  return 0;
}

void ResetSchemaHash(Database& database) {
  database.ExecuteOnce("DELETE FROM TWX_TABLE");
  database.ExecuteOnce("DELETE FROM TWX_INDEX_COLUMN");
  database.ExecuteOnce("DELETE FROM TWX_SCHEMA_HASH");
}
