#include "db/odbc_database.h"

#include <sqlext.h>

#include <sstream>
#include <stdexcept>
#include <vector>

#include "db/diagnostics.h"
#include "db/odbc_result.h"
#include "db/statement.h"
#include "db/statement_runner.h"
#include "db/transaction_statement.h"

namespace {

class OdbcRowReader final : public RowReader {
 public:
  explicit OdbcRowReader(Statement statement) : statement_(std::move(statement)) {}

  bool FetchRow() override { return ::FetchRow(statement_); }

  std::int32_t GetInt32(int column) override { return ::GetInt32(statement_, column); }

  std::string GetString(int column, std::int32_t bufferLength) override {
    if (bufferLength < 1) return ReadInto(column, nullptr, bufferLength);
    if (buffer_.size() < static_cast<std::size_t>(bufferLength)) {
      buffer_.resize(static_cast<std::size_t>(bufferLength));
    }
    // Only the first byte is reset: a NULL column leaves the buffer as it is, and a text ends at
    // its terminating zero byte, so a row costs work in proportion to its text.
    buffer_[0] = '\0';
    return ReadInto(column, buffer_.data(), bufferLength);
  }

 private:
  std::string ReadInto(int column, char* buffer, std::int32_t bufferLength) {
    ::GetString(statement_, column, buffer, bufferLength);
    return std::string(buffer);
  }

  Statement statement_;
  std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<RowReader> OdbcDatabase::Execute(std::string_view text, bool traced) {
  Statement statement;
  AllocateStatement(statement, connection_);
  if (traced) {
    RunStatement(statement, text);
  } else {
    ExecuteStatement(statement, text);
  }
  transactionOpen_ = IsTransactionOpenAfter(transactionOpen_, text, dbType_);
  return std::make_unique<OdbcRowReader>(std::move(statement));
}

std::unique_ptr<RowReader> OdbcDatabase::Query(std::string_view text) {
  return Execute(text, false);
}

std::unique_ptr<RowReader> OdbcDatabase::RunQuery(std::string_view text) {
  return Execute(text, true);
}

void OdbcDatabase::ExecuteOnce(std::string_view text) {
  Execute(text, true);
}

bool OdbcDatabase::EndOpenTransaction(bool commit) {
  if (!transactionOpen_) return false;
  transactionOpen_ = false;
  if (!commit) workRolledBack_ = true;
  // In auto-commit mode the driver ends the transaction that a statement began on the server.
  const SQLRETURN code =
      SQLEndTran(SQL_HANDLE_DBC, connection_, commit ? SQL_COMMIT : SQL_ROLLBACK);
  if (!IsSucceeded(code)) {
    workRolledBack_ = true;
    std::ostringstream text;
    text << "Cannot " << (commit ? "commit" : "roll back") << " the open transaction(rc=" << code
         << ").";
    WriteDiagnostics(SQL_HANDLE_DBC, connection_, text, true);
    throw std::runtime_error(text.str());
  }
  return true;
}
