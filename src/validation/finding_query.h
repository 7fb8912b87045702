#pragma once

#include "db/database.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

/// How the columns of one finding row make up its detail line: the prefix, the columns joined
/// by the separator, the suffix.
struct DetailLayout {
  std::string_view prefix;
  std::string_view separator;
  std::string_view suffix;
};

/// One inventory query whose every row is a finding.
struct FindingQuery {
  std::string statement;
  /// Written to standard error once, before the first detail line.
  std::string_view header;
  /// One text buffer per column, in column order, with its size in bytes.
  std::span<const std::int32_t> columnBufferSizes;
  DetailLayout layout;
};

/// Runs the query through the statement runner and writes the header and one detail line per row
/// to standard error. 1 when a row came or a failure was caught, 0 otherwise. Every failure of the
/// statement, its rows or its columns (a text longer than its buffer included) is reported as
/// "Error executing '<statement>'. Reason: <text>" on standard error; lines already written stay.
int ReportFindingRows(Database& database, const FindingQuery& query);
