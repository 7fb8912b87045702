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
  /// A cell: NULL (no value), a number or a text.
  struct Value {
    std::optional<std::string> text;
    std::int32_t number = 0;
    bool isNull = false;
  };
  using Row = std::vector<Value>;

  /// How one statement is answered.
  struct Answer {
    std::vector<Row> rows;
    /// Thrown by the execution when not empty.
    std::string failure;
    /// Thrown when the reader moves past this many rows (fetch failure), when set.
    std::optional<std::size_t> fetchFailsAfter;
  };

  /// Answers the exact text: with an answer, with rows, or with a failure of its execution.
  void Reply(const std::string& text, Answer answer) { answers_[text] = std::move(answer); }
  void ReplyRows(const std::string& text, std::vector<Row> rows) {
    answers_[text] = {std::move(rows), {}, {}};
  }
  void ReplyFailure(const std::string& text, const std::string& failure) {
    answers_[text] = {{}, failure, {}};
  }

  std::unique_ptr<RowReader> Query(std::string_view text) override { return Execute(text, "query"); }
  std::unique_ptr<RowReader> RunQuery(std::string_view text) override {
    return Execute(text, "run");
  }
  void ExecuteOnce(std::string_view text) override { Execute(text, "once"); }
  bool EndOpenTransaction(bool commit) override;

  /// Whether the next EndOpenTransaction finds a transaction open.
  bool transactionOpen = false;

  /// Every call in order: "query: <text>", "run: <text>", "once: <text>", "commit", "rollback".
  std::vector<std::string> sent;

 private:
  std::unique_ptr<RowReader> Execute(std::string_view text, const std::string& how);
  std::map<std::string, Answer, std::less<>> answers_;
};

/// Shorthands for cells.
FakeDatabase::Value Text(std::string text);
FakeDatabase::Value Number(std::int32_t number);
FakeDatabase::Value Null();
