#pragma once

#include <string>
#include <string_view>

#include "db/db_type.h"

/// The table hint that the SQL Server form of a query carries after every table reference.
inline constexpr std::string_view kNolockHint = " WITH (NOLOCK)";

/// The text with every " WITH (NOLOCK)" removed.
std::string RemoveNolockHints(std::string_view sqlServerText);

/// The query as it is sent to a database of the kind: the SQL Server form unchanged for mssql,
/// the same text without its NOLOCK hints for every other kind.
std::string SelectQueryVariant(std::string_view sqlServerText, DbType dbType);
