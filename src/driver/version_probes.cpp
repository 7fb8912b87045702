#include "driver/version_probes.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string_view>

namespace {

constexpr std::int32_t kProbeBufferLength = 2501;

int ReadSingleText(Database& database, const char* query, std::string& result) {
  result.assign(1, '0');
  try {
    const std::unique_ptr<RowReader> rows = database.Query(query);
    rows->FetchRow();
    result = rows->GetString(1, kProbeBufferLength);
  } catch (const std::exception& failure) {
    const std::string_view reason = failure.what();
    if (reason.starts_with("does not exist")) {
      std::cerr << "Error reading '" << query << "' patch version. Reason: " << reason << std::endl;
      return 1;
    }
    result.clear();
  }
  return 0;
}

}  // namespace

int ReadPatchVersion(Database& database, std::string& result) {
  return ReadSingleText(database, kPatchVersionQuery, result);
}

int ReadOrmObjectCount(Database& database, std::string& result) {
  return ReadSingleText(database, kOrmObjectCountQuery, result);
}
