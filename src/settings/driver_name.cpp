#include "settings/driver_name.h"

std::string LowerCaseAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

DetectedDbType DetectDbTypeFromDriverName(std::string_view lowerCaseDriverName) {
  const std::string_view name = lowerCaseDriverName;
  if (name.find("postgre") != std::string_view::npos) return {DbType::postgresql, "postgresql"};
  if (name.starts_with("mssql") || name.starts_with("sql server") ||
      name.starts_with("sql native client")) {
    return {DbType::mssql, "mssql"};
  }
  if (name.find("oracle") != std::string_view::npos) return {DbType::oracle, "oracle"};
  if (name.find("db2") != std::string_view::npos) return {DbType::db2, "db2"};
  return {};
}
