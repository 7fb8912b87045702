#include "validation/finding_query.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <vector>

#include "db/statement.h"
#include "db/statement_runner.h"

namespace {

/// The text buffers of one row, each cleared before its column is read.
class RowBuffers {
 public:
  explicit RowBuffers(std::span<const std::int32_t> sizes) {
    buffers_.reserve(sizes.size());
    for (const std::int32_t size : sizes) buffers_.emplace_back(static_cast<std::size_t>(size));
  }

  void ReadRow(Statement& statement) {
    int column = 1;
    for (std::vector<char>& buffer : buffers_) {
      std::fill(buffer.begin(), buffer.end(), '\0');
      GetString(statement, column++, buffer.data(), static_cast<std::int32_t>(buffer.size()));
    }
  }

  void WriteDetailLine(std::ostream& out, const DetailLayout& layout) const {
    out << layout.prefix;
    bool first = true;
    for (const std::vector<char>& buffer : buffers_) {
      if (!first) out << layout.separator;
      out << buffer.data();
      first = false;
    }
    out << layout.suffix << std::endl;
  }

 private:
  std::vector<std::vector<char>> buffers_;
};

}  // namespace

int ReportFindingRows(SQLHDBC connection, const FindingQuery& query) {
  int result = 0;
  try {
    Statement statement;
    AllocateStatement(statement, connection);
    RunStatement(statement, query.statement);
    RowBuffers row(query.columnBufferSizes);
    while (FetchRow(statement)) {
      if (result == 0) {
        std::cerr << query.header << std::endl;
        result = 1;
      }
      row.ReadRow(statement);
      row.WriteDetailLine(std::cerr, query.layout);
    }
    FreeStatement(statement);
  } catch (const std::exception& failure) {
    std::cerr << "Error executing '" << query.statement << "'. Reason: " << failure.what()
              << std::endl;
    return 1;
  }
  return result;
}
