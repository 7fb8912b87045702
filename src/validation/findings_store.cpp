#include "validation/findings_store.h"

#include <exception>
#include <iostream>
#include <memory>

#include "validation/warnings_file.h"

namespace {

constexpr std::size_t kFindingBufferSize = 2501;

/// Copies every finding, one line each, in the order the database returns them; a NULL finding
/// gives an empty line. Returns 1 when reading the findings failed, after reporting it; the lines
/// written before the failure stay.
int CopyFindings(Database& database, WarningsFile& file) {
  try {
    const std::unique_ptr<RowReader> rows = database.Query(kFindingsQuery);
    while (rows->FetchRow()) file.WriteLine(rows->GetString(1, kFindingBufferSize));
  } catch (const std::exception& failure) {
    std::cerr << "Error storing '" << kFindingsQuery << "' into file. Reason: " << failure.what()
              << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace

int StoreValidationFindings(Database& database, const std::string& warningsFile) {
  WarningsFile file(warningsFile);
  const int result = CopyFindings(database, file);
  file.Close();
  // The table goes on every path, so that the next validation run starts without it.
  database.ExecuteOnce(kDropFindingsTable);
  return file.failed() ? kWarningsFileNotWritten : result;
}
