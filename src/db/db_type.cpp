#include "db/db_type.h"

const DbTypeFacts& GetDbTypeFacts(DbType dbType) {
  for (const DbTypeFacts& facts : kDbTypeFacts) {
    if (facts.dbType == dbType) return facts;
  }
  return kDbTypeFacts.back();
}

DbType ParseDbType(std::string_view name) {
  for (const DbTypeFacts& facts : kDbTypeFacts) {
    if (!facts.blockTerminator.empty() && facts.name == name) return facts.dbType;
  }
  return DbType::none;
}

std::string_view DbTypeDisplayName(DbType type) {
  const DbTypeFacts& facts = GetDbTypeFacts(type);
  return facts.dbType == type ? facts.displayName : "invalid";
}

std::ostream& operator<<(std::ostream& out, DbType type) {
  return out << DbTypeDisplayName(type);
}
