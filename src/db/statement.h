#pragma once

#include <sql.h>

#include <cstdint>
#include <string_view>

/// Owns one ODBC statement handle. The handle is freed by FreeStatement or, on any other way out
/// of the holder's scope, by the destructor.
class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT handle() const { return handle_; }
  SQLHSTMT* handleSlot() { return &handle_; }

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

/// Allocates the statement handle on the connection. Throws std::runtime_error
/// "Cannot allocate statement handle" when the driver manager refuses.
void AllocateStatement(Statement& statement, SQLHDBC connection);

/// Frees the handle (if any) and returns the driver manager's code.
SQLRETURN FreeStatement(Statement& statement);

/// Executes the text directly. SQL_SUCCESS and SQL_NO_DATA return quietly, SQL_SUCCESS_WITH_INFO
/// prints the "Statement info" report, anything else throws the "Statement failure" report. A text
/// that holds a NUL byte is not sent at all: it throws "Statement refused: ...".
void ExecuteStatement(Statement& statement, std::string_view text);

/// Fetches the next row: true for a row, false at the end (or for an unexpected code). Throws on
/// SQL_ERROR with the handle's diagnostic records.
bool FetchRow(Statement& statement);

/// Reads a column (1-based) as a signed 32-bit integer; NULL reads as 0.
std::int32_t GetInt32(Statement& statement, int column);

/// Reads a column (1-based) as text into the caller's buffer of `length` bytes. Throws
/// std::logic_error for a missing buffer or a length below 1, std::overflow_error when the text and
/// its terminating zero byte do not both fit, std::runtime_error when the driver fails. A NULL
/// column leaves the buffer as it was.
void GetString(Statement& statement, int column, char* buffer, std::int32_t length);
