// The product versions of the managed hosts against the minimum host version.
#include "validation/host_checks.h"

#include <array>
#include <exception>
#include <iostream>
#include <string_view>

#include "db/statement.h"
#include "db/statement_runner.h"
#include "validation/nolock_variant.h"

namespace {

constexpr std::string_view kHostsQuery =
    "SELECT PRODUCT_VERSION, IP_ADDRESS FROM TWX_HOST WITH (NOLOCK)";

constexpr std::size_t kHostColumnBufferSize = 256;

/// Reads a text column into a cleared buffer; a NULL column gives the empty text.
std::string ReadHostColumn(Statement& statement, int column) {
  std::array<char, kHostColumnBufferSize> buffer{};
  GetString(statement, column, buffer.data(), static_cast<std::int32_t>(buffer.size()));
  return std::string(buffer.data());
}

}  // namespace

int ValidateHostVersions(SQLHDBC connection, std::string minimumVersion, DbType dbType) {
  std::cout << "Validating PYLON hosts versions..." << std::endl;
  const bool passed = CheckHostVersions(connection, minimumVersion, dbType);
  std::cout << "Validation completed." << std::endl;
  return passed ? 0 : 1;
}

bool CheckHostVersions(SQLHDBC connection, const std::string& minimumVersion, DbType dbType) {
  const std::string query = SelectQueryVariant(kHostsQuery, dbType);
  try {
    Statement statement;
    AllocateStatement(statement, connection);
    RunStatement(statement, query);
    int count = 0;
    while (FetchRow(statement)) {
      const std::string version = ReadHostColumn(statement, 1);
      if (IsVersionAtLeast(version, minimumVersion)) continue;
      const std::string address = ReadHostColumn(statement, 2);
      std::cerr << "WARNING: pylon-version -> " << version << " host IP: " << address << std::endl;
      ++count;
    }
    if (count < 1) {
      FreeStatement(statement);
      return true;
    }
    std::cerr << "ERROR: wrong-host-version-count -> " << count << std::endl;
    FreeStatement(statement);
    return false;
  } catch (const std::exception& failure) {
    std::cout << "failed." << std::endl;
    std::cerr << "Error executing statement '" << query << "', reason: " << failure.what()
              << std::endl;
    return false;
  }
}
