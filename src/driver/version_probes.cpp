#include "driver/version_probes.h"

#include <exception>
#include <iostream>
#include <vector>

#include "db/statement.h"

namespace {

constexpr std::int32_t kProbeBufferLength = 2501;

constexpr const char* kPatchVersionQuery =
    "SELECT COALESCE(CURRENT_VERSION,INITIAL_VERSION) FROM TWX_PATCH_VERSION";
constexpr const char* kOrmObjectCountQuery =
    "SELECT cast(count(*) as text) FROM information_schema.tables WHERE  table_schema = 'tw' AND "
    "lower(table_name) = 'twx_file_system_mount_info'";

int ReadSingleText(SQLHDBC connection, const char* query, std::string& result) {
  result = "0";
  int status = 0;
  Statement statement;
  AllocateStatement(statement, connection);
  try {
    ExecuteStatement(statement, query);
    FetchRow(statement);
    std::vector<char> buffer(kProbeBufferLength, '\0');
    GetString(statement, 1, buffer.data(), kProbeBufferLength);
    result = buffer.data();
  } catch (const std::exception& failure) {
    const std::string_view reason = failure.what();
    if (reason.starts_with("does not exist")) {
      std::cerr << "Error reading '" << query << "' patch version. Reason: " << reason
                << std::endl;
      status = 1;
    } else {
      result.clear();
    }
  }
  FreeStatement(statement);
  return status;
}

}  // namespace

int ReadPatchVersion(SQLHDBC connection, std::string& result) {
  return ReadSingleText(connection, kPatchVersionQuery, result);
}

int ReadOrmObjectCount(SQLHDBC connection, std::string& result) {
  return ReadSingleText(connection, kOrmObjectCountQuery, result);
}
