#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/database.h"

/// A database that answers statements from rules and records what it was sent. A statement
/// without a rule succeeds with no row. Text values follow the reader's buffer rule: a text of
/// the buffer's length or longer throws the overflow error.
class FakeDatabase final : public Database {
 public:
  /// A cell: NULL (no value) or its text; a cell of digits can also be read as a number.
  using Row = std::vector<std::optional<std::string>>;

  /// How one statement is answered.
  struct Answer {
    std::vector<Row> rows = {};
    /// Thrown by the execution when not empty.
    std::string failure = {};
    /// Thrown when the reader moves past this many rows (fetch failure), when set.
    std::optional<std::size_t> fetchFailsAfter = {};
  };

  /// Answers the exact text.
  void Reply(const std::string& text, Answer answer) { answers_[text] = std::move(answer); }

  std::unique_ptr<RowReader> Query(std::string_view sql) override { return Execute(sql, "query"); }
  std::unique_ptr<RowReader> RunQuery(std::string_view sql) override { return Execute(sql, "run"); }
  void ExecuteOnce(std::string_view sql) override { Execute(sql, "once"); }
  bool EndOpenTransaction(bool commit) override;

  /// Whether the next EndOpenTransaction finds a transaction open.
  bool transactionOpen = false;

  /// Every call in order: "query: <text>", "run: <text>", "once: <text>", "commit", "rollback".
  std::vector<std::string> sent;

 private:
  std::unique_ptr<RowReader> Execute(std::string_view text, const std::string& how);
  std::map<std::string, Answer, std::less<>> answers_;
};

/// An answer written as text: rows separated by ';' (blanks after it skipped), cells by '|'.
/// "NULL" is NULL; an empty last cell is left out. A row "!" makes the fetch fail there; "!<text>"
/// alone makes the execution fail with the text.
FakeDatabase::Answer Rows(const std::string& table);

/// One row of a table of cases: the unit under test, the fake's answers by statement text, and
/// what is expected: the unit's result or the text of the std::exception that it threw, all that
/// it wrote to standard output and to standard error, and every call that reached the fake.
struct FakeCase {
  std::string name;
  std::function<int(FakeDatabase&)> unit;
  std::vector<std::pair<std::string, FakeDatabase::Answer>> answers;
  int result = 0;
  std::string thrown = {}, out = {}, err = {};
  std::vector<std::string> sent = {};
};

/// Runs each row's unit on a fresh fake, with both standard streams captured, and expects each
/// part of the row's outcome.
void RunFakeCases(const std::vector<FakeCase>& cases);
