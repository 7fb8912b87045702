// StoreValidationFindings of validation_run.h: the findings table into the warnings file.
#include <array>
#include <exception>
#include <iostream>
#include <string_view>

#include "db/statement.h"
#include "db/statement_runner.h"
#include "validation/validation_run.h"
#include "validation/warnings_file.h"

namespace {

constexpr std::string_view kFindingsQuery =
    "SELECT INCONSISTENCIE FROM TWX_PREUPGRADE_VERIFICATION";
constexpr std::string_view kDropFindingsTable = "DROP TABLE TWX_PREUPGRADE_VERIFICATION";

constexpr std::size_t kFindingBufferSize = 2501;

/// Copies every finding, one line each, in the order the database returns them; a NULL finding
/// gives an empty line. Returns 1 when reading the findings failed, after reporting it; the lines
/// written before the failure stay.
int CopyFindings(Statement& statement, WarningsFile& file) {
  try {
    ExecuteStatement(statement, kFindingsQuery);
    while (FetchRow(statement)) {
      std::array<char, kFindingBufferSize> finding{};
      GetString(statement, 1, finding.data(), static_cast<std::int32_t>(finding.size()));
      file.WriteLine(finding.data());
    }
  } catch (const std::exception& failure) {
    std::cerr << "Error storing '" << kFindingsQuery << "' into file. Reason: " << failure.what()
              << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace

int StoreValidationFindings(SQLHDBC connection, const std::string& warningsFile) {
  WarningsFile file(warningsFile);
  Statement statement;
  AllocateStatement(statement, connection);
  const int result = CopyFindings(statement, file);
  file.Close();
  FreeStatement(statement);
  // The table goes on every path, so that the next validation run starts without it.
  ExecuteOnce(connection, kDropFindingsTable);
  return file.failed() ? kWarningsFileNotWritten : result;
}
