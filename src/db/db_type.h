#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

/// The kind of database at the other end of the connection.
enum class DbType : std::uint32_t {
  none = 0,
  mssql = 1,
  oracle = 2,
  db2 = 3,
  postgresql = 4,
};

/// Maps "oracle", "postgresql" and "mssql" (exact, case-sensitive) to their kind; anything else
/// gives DbType::none.
DbType ParseDbType(std::string_view name);

/// The display name: "NONE", "mssql", "oracle", "db2", "PostgreSQL", or "invalid".
std::string_view DbTypeDisplayName(DbType type);

/// Writes the display name and nothing else.
std::ostream& operator<<(std::ostream& out, DbType type);
