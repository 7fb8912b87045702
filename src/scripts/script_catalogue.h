#pragma once

#include <string>
#include <vector>

#include "db/db_type.h"

/// The folder of a step's scripts for one database kind, relative to the working folder:
/// "Upgrade-v2015-to-v2016\postgresql" for 600 and postgresql. Throws std::runtime_error for a
/// base version other than 550, 600 and 650 (checked first) and for a kind without scripts.
std::string GetScriptFolder(int baseVersion, DbType dbType);

/// The entries ("kind:file") of one step of the ordinary upgrade, to run before liftaide
/// (afterLaunch false) or after it (afterLaunch true). Checks the kind first, then the base
/// version; throws std::runtime_error for either. Each call returns a fresh copy.
std::vector<std::string> GetScripts(int baseVersion, DbType dbType, bool afterLaunch);

/// The same for build-to-build mode; writes its base-version line to standard output first. Only
/// the steps 600 and 650 have build-to-build lists.
std::vector<std::string> GetBuildToBuildScripts(int baseVersion, DbType dbType, bool afterLaunch);
