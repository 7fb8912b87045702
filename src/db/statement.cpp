#include "db/statement.h"

#include <sqlext.h>

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "db/database.h"
#include "db/diagnostics.h"
#include "db/interruption.h"
#include "db/odbc_result.h"
#include "db/utf8_validation.h"

namespace {

[[noreturn]] void ThrowReadFailure(Statement& statement, const char* what, int column,
                                   SQLRETURN code) {
  std::ostringstream text;
  text << "Cannot get the result data as " << what << " at position " << column << " (rc=" << code
       << ").";
  WriteDiagnostics(SQL_HANDLE_STMT, statement.handle(), text, true);
  throw std::runtime_error(text.str());
}

}  // namespace

Statement::~Statement() {
  FreeStatement(*this);
}

Statement::Statement(Statement&& other) noexcept
    : handle_(std::exchange(other.handle_, SQLHSTMT{})) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    FreeStatement(*this);
    handle_ = std::exchange(other.handle_, SQLHSTMT{});
  }
  return *this;
}

void AllocateStatement(Statement& statement, SQLHDBC connection) {
  FreeStatement(statement);
  const SQLRETURN code = SQLAllocHandle(SQL_HANDLE_STMT, connection, statement.handleSlot());
  if (!IsSucceeded(code)) {
    *statement.handleSlot() = SQL_NULL_HSTMT;
    throw std::runtime_error("Cannot allocate statement handle");
  }
}

SQLRETURN FreeStatement(Statement& statement) {
  SQLHSTMT handle = std::exchange(*statement.handleSlot(), SQLHSTMT{});
  if (handle == SQL_NULL_HSTMT) return SQL_INVALID_HANDLE;
  return SQLFreeHandle(SQL_HANDLE_STMT, handle);
}

namespace {

/// Why a text must not be sent, or nothing. The way to the server ends a text at its first NUL
/// byte, and widens bytes that are not UTF-8 one by one as if they were Latin-1: either way the
/// database would run another text than the one printed.
std::string FindRefusalReason(std::string_view text) {
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return "Statement refused: it holds a NUL byte at offset " + std::to_string(nul) +
           ", and the database would receive only the text before it.";
  }
  if (const std::optional<std::size_t> invalid = FindInvalidUtf8(text)) {
    return "Statement refused: it holds a byte that is not UTF-8 at offset " +
           std::to_string(*invalid) + ", and the database would receive another text.";
  }
  return {};
}

}  // namespace

void ExecuteStatement(Statement& statement, std::string_view text) {
  if (std::string reason = FindRefusalReason(text); !reason.empty()) {
    throw std::runtime_error(reason);
  }
  // The driver manager does not write through the text pointer.
  auto* sql = reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.data()));
  SQLRETURN code = SQL_ERROR;
  {
    const CancellableExecution execution(statement.handle());
    code = SQLExecDirect(statement.handle(), sql, static_cast<SQLINTEGER>(text.size()));
  }
  if (code == SQL_SUCCESS || code == SQL_NO_DATA) return;
  const char* title = code == SQL_SUCCESS_WITH_INFO ? "Statement info" : "Statement failure";
  ReportStatementDiagnostics(statement.handle(), text, code, title);
}

bool FetchRow(Statement& statement) {
  const SQLRETURN code = SQLFetch(statement.handle());
  if (code == SQL_ERROR) {
    std::ostringstream text;
    text << "Cannot fetch the result(rc=" << code << ").";
    WriteDiagnostics(SQL_HANDLE_STMT, statement.handle(), text, true);
    throw std::runtime_error(text.str());
  }
  return IsSucceeded(code);
}

std::int32_t GetInt32(Statement& statement, int column) {
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  const SQLRETURN code = SQLGetData(statement.handle(), static_cast<SQLUSMALLINT>(column),
                                    SQL_C_LONG, &value, 0, &indicator);
  if (!IsSucceeded(code)) ThrowReadFailure(statement, "Int32", column, code);
  return value;
}

void GetString(Statement& statement, int column, char* buffer, std::int32_t length) {
  if (buffer == nullptr || length < 1) {
    throw std::logic_error("Insufficient buffer to return the result of the operation");
  }
  SQLLEN indicator = 0;
  const SQLRETURN code = SQLGetData(statement.handle(), static_cast<SQLUSMALLINT>(column),
                                    SQL_C_CHAR, buffer, length, &indicator);
  if (!IsSucceeded(code)) ThrowReadFailure(statement, "String", column, code);
  if (indicator >= static_cast<SQLLEN>(length)) {
    throw std::overflow_error(kBufferOverflowText);
  }
}
