#pragma once

#include <cstdint>
#include <string>

#include "db/db_type.h"

/// The values that the command line sets, completed by settings discovery.
struct RunSettings {
  std::string dsn;
  std::string userName = "tw";
  std::string password;
  DbType dbType = DbType::none;
  std::int32_t sourceVersion = 650;
  bool versionGiven = false;
  bool nonInteractive = false;
  std::string warningsFile;
  std::string buildTag;
  bool externalDatabase = false;
  bool skipServerChecks = false;

  bool IsValidationMode() const { return !warningsFile.empty(); }

  /// Overwrites the secrets before the settings go away.
  ~RunSettings();
};

/// The host release threshold handed to the host checks.
inline constexpr const char* kMinimumHostVersion = "6.0.0";
