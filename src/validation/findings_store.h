#pragma once

#include <string>
#include <string_view>

#include "db/database.h"

inline constexpr std::string_view kFindingsQuery =
    "SELECT INCONSISTENCIE FROM TWX_PREUPGRADE_VERIFICATION";
inline constexpr std::string_view kDropFindingsTable = "DROP TABLE TWX_PREUPGRADE_VERIFICATION";

/// The result of StoreValidationFindings and RunDBValidate when the warnings file could not be
/// opened, written or closed (already reported on standard error). The run must then end with a
/// failure status: the installer would otherwise take a lost file for a clean database.
inline constexpr int kWarningsFileNotWritten = 2;

/// Copies TWX_PREUPGRADE_VERIFICATION to the warnings file and drops the table, also after a
/// failure to read it. 0 on success, 1 when reading the findings failed, kWarningsFileNotWritten
/// when the file could not be opened, written or closed (whether or not reading failed too).
int StoreValidationFindings(Database& database, const std::string& warningsFile);
