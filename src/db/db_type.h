#pragma once

#include <array>
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

/// What the program knows of one kind of database.
struct DbTypeFacts {
  DbType dbType;
  /// The name that -t takes and that the kind's script folders carry (kinds with scripts).
  std::string_view name;
  std::string_view displayName;
  /// The line that ends a block of a block script; empty for a kind without scripts.
  std::string_view blockTerminator;
  /// Whether its inventory queries keep SQL Server's " WITH (NOLOCK)" hints.
  bool keepsNolockHints;
  /// Its driver names, lower-cased, begin with one of these or contain the part.
  std::array<std::string_view, 3> driverNamePrefixes;
  std::string_view driverNamePart;
};

/// Every kind, in the order in which a driver name is matched against them; none comes last.
inline constexpr std::array<DbTypeFacts, 5> kDbTypeFacts = {{
    {DbType::postgresql, "postgresql", "PostgreSQL", "/", false, {}, "postgre"},
    {DbType::mssql, "mssql", "mssql", "go", true, {"mssql", "sql server", "sql native client"}, ""},
    {DbType::oracle, "oracle", "oracle", "/", false, {}, "oracle"},
    {DbType::db2, "db2", "db2", "", false, {}, "db2"},
    {DbType::none, "", "NONE", "", false, {}, ""},
}};

/// The facts of a kind; those of none for a value that names no kind.
const DbTypeFacts& GetDbTypeFacts(DbType dbType);

/// Maps "oracle", "postgresql" and "mssql" (exact, case-sensitive) to their kind; anything else
/// gives DbType::none.
DbType ParseDbType(std::string_view name);

/// The display name: "NONE", "mssql", "oracle", "db2", "PostgreSQL", or "invalid".
std::string_view DbTypeDisplayName(DbType type);

/// Writes the display name and nothing else.
std::ostream& operator<<(std::ostream& out, DbType type);
