#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

/// The rows of one executed statement, read one at a time, columns by position (1-based).
class RowReader {
 public:
  virtual ~RowReader() = default;

  /// Moves to the next row: true for a row, false at the end. Throws on a failed fetch.
  virtual bool FetchRow() = 0;

  /// The column as a signed 32-bit integer; NULL reads as 0.
  virtual std::int32_t GetInt32(int column) = 0;

  /// The column's text as read into a buffer of `bufferLength` bytes; NULL reads as "". Throws
  /// std::logic_error for a length below 1, std::overflow_error with kBufferOverflowText when the
  /// text and its terminating zero byte do not both fit, std::runtime_error when the read fails.
  virtual std::string GetString(int column, std::int32_t bufferLength) = 0;
};

inline constexpr const char* kBufferOverflowText =
    "The operation required too much data to be stored in the specified buffer.";

/// The one connection of a run, as everything above the database layer sees it: statements are
/// executed quietly or with the statement runner's trace, and their rows are read as values.
/// Failures are thrown as std::runtime_error with the statement failure report; a statement that
/// succeeds with information prints its "INFO: " report.
class Database {
 public:
  virtual ~Database() = default;

  /// Executes the text quietly and returns its rows.
  virtual std::unique_ptr<RowReader> Query(std::string_view text) = 0;

  /// Executes the text with the trace and returns its rows.
  virtual std::unique_ptr<RowReader> RunQuery(std::string_view text) = 0;

  /// Executes the text with the trace on a statement of its own; its rows are not read.
  virtual void ExecuteOnce(std::string_view text) = 0;

  /// Ends a transaction that the statements sent so far began and left open: commits it, or rolls
  /// it back. Returns whether there was one; nothing is sent when there was none.
  virtual bool EndOpenTransaction(bool commit) = 0;
};
