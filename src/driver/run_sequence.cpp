#include "driver/run_sequence.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/interruption.h"
#include "db/odbc_database.h"
#include "driver/command_line.h"
#include "driver/run_settings.h"
#include "driver/usage.h"
#include "driver/version_probes.h"
#include "platform/console.h"
#include "scripts/liftaide_launch.h"
#include "scripts/upgrade_run.h"
#include "server/recovery_mode_guard.h"
#include "settings/db_type_detection.h"
#include "settings/dsn_setting.h"
#include "validation/host_checks.h"
#include "validation/host_profile_checks.h"
#include "validation/inventory_checks.h"
#include "validation/validation_run.h"

namespace {

/// Fills in the DSN and the kind that the command line left open. Returns an exit status when the
/// kind cannot be told.
std::optional<int> CompleteSettings(RunSettings& settings) {
  if (settings.dsn.empty()) settings.dsn = ReadDsnSetting();
  if (settings.dbType == DbType::none) {
    const DetectedDbType detected = DetectDbTypeFromDsn(settings.dsn);
    settings.dbType = detected.dbType;
    if (settings.dbType == DbType::none) {
      std::cerr << "ERROR: Invalid DB type in configuration: '" << detected.name << "'"
                << std::endl;
      PrintUsage();
      return 1;
    }
  }
  return std::nullopt;
}

void PrintSettings(const RunSettings& settings) {
  std::cout << "DB type: '" << settings.dbType << "'" << std::endl;
  std::cout << "DB user name: '" << settings.userName << "'" << std::endl;
  std::cout << "Data Source Name: '" << settings.dsn << "'" << std::endl;
  std::cout << "twxd base version : '" << settings.sourceVersion << "'" << std::endl;
}

/// Asks the operator to confirm that the server service will be stopped.
bool ConfirmServiceStop() {
  std::cout << "The twxd service will be stopped. Continue? [y/N]:" << std::flush;
  std::string answer;
  if (!ReadConsoleLine(answer) || answer.empty() || (answer[0] != 'y' && answer[0] != 'Y')) {
    std::cout << "Aborting..." << std::endl;
    return false;
  }
  return true;
}

/// The validation sequence; 1 when the warnings file could not be written, 0 otherwise: what the
/// checks find is reported by their own output and by the warnings file.
int RunValidation(Database& database, const RunSettings& settings,
                  RecoveryModeGuard& recoveryGuard) {
  const std::string minimumHostVersion = kMinimumHostVersion;
  std::cout << "Validating source version, inventory, db schema and permissions..." << std::endl;
  const int validateResult =
      RunDBValidate(database, settings.dbType, settings.sourceVersion, settings.externalDatabase,
                    settings.skipServerChecks, settings.warningsFile, recoveryGuard);
  // The checks report their own failures and go on; a stop asked for by the operator ends the
  // sequence between them.
  const DbType dbType = settings.dbType;
  const std::function<void()> checks[] = {
      [&] { CheckClusterHostCount(database, dbType); },
      [&] { CheckStoragePodDatastoreCount(database, dbType); },
      [&] { CheckDistributedSwitches(database); },
      [&] { CheckHostProfileVersions(database, minimumHostVersion); },
      [&] { CheckDuplicatePortGroupNames(database, dbType); },
      [&] { ValidateHostVersions(database, minimumHostVersion, dbType); },
      [&] { CheckLegacyFaultToleranceVms(database, dbType, settings.sourceVersion); },
  };
  for (const std::function<void()>& check : checks) {
    ThrowIfInterrupted();
    check();
  }
  ThrowIfInterrupted();
  return validateResult == kWarningsFileNotWritten ? 1 : 0;
}

/// Upgrade and build-to-build mode; returns the upgrade run's result.
int RunUpgradeMode(Database& database, RunSettings& settings) {
  std::string ormObjectCount = "0";
  if (!settings.buildTag.empty()) {
    ReadPatchVersion(database, settings.buildTag);
    std::cout << "Patch version: '" << settings.buildTag << "'" << std::endl;
    ReadOrmObjectCount(database, ormObjectCount);
    std::cout << "Count of ORM objects: '" << ormObjectCount << "'" << std::endl;
  }
  ProcessLiftaideLauncher launcher;
  const int status =
      RunUpgrade(database, launcher,
                 {settings.dbType, settings.sourceVersion, settings.dsn, settings.userName,
                  settings.password, settings.buildTag, ormObjectCount});
  ResetSchemaHash(database);
  return status;
}

/// Everything that runs on the open connection. Failures are collected in the order they
/// happened; the recovery model is restored before any of them is reported.
int RunOnConnection(RunSettings& settings, DatabaseConnection& connection) {
  OdbcDatabase database(connection.connection(), settings.dbType);
  int status = 0;
  std::vector<std::string> failures;
  try {
    RecoveryModeGuard recoveryGuard(database, settings.dbType, settings.warningsFile.empty());
    if (!settings.versionGiven) {
      std::cerr << "ERROR: Version option is mandatory!" << std::endl;
      PrintUsage();
      EndInterruptChecks();
      recoveryGuard.Release();
      return 1;
    }
    try {
      if (settings.IsValidationMode()) {
        status = RunValidation(database, settings, recoveryGuard);
      } else {
        status = RunUpgradeMode(database, settings);
      }
    } catch (const std::exception& failure) {
      failures.emplace_back(failure.what());
    }
    EndInterruptChecks();
    recoveryGuard.Release();
  } catch (const std::exception& failure) {
    failures.emplace_back(failure.what());
  }
  connection.Release();
  if (IsRunInterrupted() &&
      std::find(failures.begin(), failures.end(), GetInterruptionText()) == failures.end()) {
    failures.push_back(GetInterruptionText());
  }
  for (const std::string& failure : failures) {
    std::cerr << "ERROR: " << failure << std::endl;
    status = 1;
  }
  // Each rollback was reported where it happened; the run did not keep all it reported as done.
  if (database.workRolledBack()) status = 1;
  std::cout << "Exiting. Status=" << status << std::endl;
  return status;
}

int RunSteps(int argc, char* argv[]) {
  RunSettings settings;
  PrepareConsole();
  if (std::optional<int> status = ReadCommandLine(argc, argv, settings)) return *status;
  if (std::optional<int> status = CompleteSettings(settings)) return *status;
  PrintSettings(settings);
  if (!settings.nonInteractive && !ConfirmServiceStop()) return 1;

  DatabaseConnection database;
  if (const int status =
          ConnectToDatabase(settings.dsn, settings.userName, settings.password, database);
      status != 0) {
    return status;
  }
  // From here on a stop must leave the database as it would after a failure: recovery model
  // restored, connection released.
  StopRunOnInterrupt();
  return RunOnConnection(settings, database);
}

}  // namespace

int RunSchemalift(int argc, char* argv[]) {
  try {
    return RunSteps(argc, argv);
  } catch (const std::exception& failure) {
    std::cerr << "ERROR: An application exception occured: " << failure.what() << std::endl;
    return 1;
  }
}
