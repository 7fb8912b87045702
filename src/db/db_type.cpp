#include "db/db_type.h"

DbType ParseDbType(std::string_view name) {
  if (name == "oracle") return DbType::oracle;
  if (name == "postgresql") return DbType::postgresql;
  if (name == "mssql") return DbType::mssql;
  return DbType::none;
}

std::string_view DbTypeDisplayName(DbType type) {
  switch (type) {
    case DbType::none:
      return "NONE";
    case DbType::mssql:
      return "mssql";
    case DbType::oracle:
      return "oracle";
    case DbType::db2:
      return "db2";
    case DbType::postgresql:
      return "PostgreSQL";
  }
  return "invalid";
}

std::ostream& operator<<(std::ostream& out, DbType type) { return out << DbTypeDisplayName(type); }
