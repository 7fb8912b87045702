#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

/// A temporary folder named by ODBCSYSINI for the scope, holding the given odbc.ini (none when the
/// optional is empty).
class OdbcSystemFolder {
 public:
  explicit OdbcSystemFolder(const std::optional<std::string>& odbcIni);

  std::filesystem::path odbcIniPath() const { return folder_.path() / "odbc.ini"; }

 private:
  TempDir folder_;
  ScopedEnvironment systemFolder_;
};
