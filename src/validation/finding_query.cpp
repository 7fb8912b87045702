#include "validation/finding_query.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "db/check_failure.h"

namespace {

/// The text buffers of one row, each cleared before its column is read.
class RowBuffers {
 public:
  explicit RowBuffers(std::span<const std::int32_t> sizes) : sizes_(sizes), values_(sizes.size()) {}

  void ReadRow(RowReader& rows) {
    for (std::size_t column = 0; column < sizes_.size(); ++column) {
      values_[column] = rows.GetString(static_cast<int>(column + 1), sizes_[column]);
    }
  }

  void WriteDetailLine(std::ostream& out, const DetailLayout& layout) const {
    out << layout.prefix;
    bool first = true;
    for (const std::string& value : values_) {
      if (!first) out << layout.separator;
      out << value;
      first = false;
    }
    out << layout.suffix << std::endl;
  }

 private:
  std::span<const std::int32_t> sizes_;
  std::vector<std::string> values_;
};

}  // namespace

int ReportFindingRows(Database& database, const FindingQuery& query) {
  int result = 0;
  try {
    const std::unique_ptr<RowReader> rows = database.RunQuery(query.statement);
    RowBuffers row(query.columnBufferSizes);
    while (rows->FetchRow()) {
      if (result == 0) {
        std::cerr << query.header << std::endl;
        result = 1;
      }
      row.ReadRow(*rows);
      row.WriteDetailLine(std::cerr, query.layout);
    }
  } catch (const std::exception& failure) {
    ReportQueryFailure(query.statement, failure);
    return 1;
  }
  return result;
}
