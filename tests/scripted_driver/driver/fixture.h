// The fixture of the scripted ODBC driver: what to answer at connect and to each statement.
// README.md in this folder describes the text format.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scripted {

struct DiagRecord {
  std::string state;  // five characters
  std::int32_t native = 0;
  std::string message;

  bool operator==(const DiagRecord&) const = default;
};

enum class ColumnType { kInt, kText };

struct Column {
  std::string name;
  ColumnType type = ColumnType::kInt;
};

// One cell of a result row: NULL, an integer (int columns) or a text (text columns).
using Cell = std::variant<std::monostate, std::int64_t, std::string>;
using Row = std::vector<Cell>;

enum class Outcome { kSuccess, kInfo, kError, kNoData };

enum class WaitKind { kNone, kSleep, kBlockUntilCancel };

inline constexpr std::int64_t kDefaultBlockTimeoutMs = 30000;

// What one execution of a statement (or one connect) answers.
struct Answer {
  Outcome outcome = Outcome::kSuccess;
  std::vector<DiagRecord> records;  // returned with info and fail
  WaitKind wait = WaitKind::kNone;
  std::int64_t waitMs = 0;  // sleep time, or the timeout of block-until-cancel
  std::optional<std::int64_t> affectedRows;
  std::vector<Column> columns;  // empty: no result set
  std::vector<Row> rows;
  std::optional<std::int64_t> failingFetch;  // 1-based number of the SQLFetch call that fails
  std::vector<DiagRecord> fetchRecords;
  int line = 0;

  bool HasResultSet() const { return !columns.empty(); }
};

enum class MatchMode { kExact, kPrefix, kContains, kGlob, kAny };

struct Rule {
  MatchMode mode = MatchMode::kExact;
  std::string pattern;
  std::vector<Answer> answers;  // the n-th execution gets answers[n-1]; the last one repeats
  int line = 0;

  bool Matches(std::string_view statement) const;
  const Answer& AnswerForExecution(std::size_t execution) const;
};

struct ConnectScript {
  std::optional<std::string> user;  // when set, any other user name fails with 28000
  Answer answer;
};

struct Fixture {
  ConnectScript connect;
  std::vector<Rule> rules;

  // Index of the first rule that matches, if any.
  std::optional<std::size_t> FindRule(std::string_view statement) const;
};

class FixtureError : public std::runtime_error {
 public:
  FixtureError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

// Throws FixtureError on the first problem.
Fixture ParseFixture(std::string_view text);

// Whole-text match: '*' stands for any sequence (newlines too), '?' for one character, and a
// backslash makes the next character literal.
bool GlobMatches(std::string_view pattern, std::string_view text);

}  // namespace scripted
