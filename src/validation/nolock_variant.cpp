#include "validation/nolock_variant.h"

std::string RemoveNolockHints(std::string_view sqlServerText) {
  std::string text;
  text.reserve(sqlServerText.size());
  std::size_t position = 0;
  for (std::size_t hint = sqlServerText.find(kNolockHint); hint != std::string_view::npos;
       hint = sqlServerText.find(kNolockHint, position)) {
    text.append(sqlServerText.substr(position, hint - position));
    position = hint + kNolockHint.size();
  }
  text.append(sqlServerText.substr(position));
  return text;
}

std::string SelectQueryVariant(std::string_view sqlServerText, DbType dbType) {
  if (GetDbTypeFacts(dbType).keepsNolockHints) return std::string(sqlServerText);
  return RemoveNolockHints(sqlServerText);
}
