#include "support/fake_database.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "support/console_capture.h"

namespace {

class FakeRowReader final : public RowReader {
 public:
  explicit FakeRowReader(const FakeDatabase::Answer& answer) : answer_(answer) {}

  bool FetchRow() override {
    if (answer_.fetchFailsAfter == next_) {
      throw std::runtime_error("Cannot fetch the result(rc=-1).");
    }
    current_ = next_ < answer_.rows.size() ? &answer_.rows[next_++] : nullptr;
    return current_ != nullptr;
  }

  std::int32_t GetInt32(int column) override { return std::stoi(Cell(column).value_or("0")); }

  std::string GetString(int column, std::int32_t bufferLength) override {
    const std::string text = Cell(column).value_or("");
    if (text.size() >= static_cast<std::size_t>(bufferLength)) {
      throw std::overflow_error(kBufferOverflowText);
    }
    return text;
  }

 private:
  /// A column of the current row; std::out_of_range for a column that the row does not have.
  const std::optional<std::string>& Cell(int column) const {
    if (current_ == nullptr) throw std::runtime_error("Cannot get the result data (rc=-1).");
    return current_->at(static_cast<std::size_t>(column - 1));
  }

  const FakeDatabase::Answer& answer_;
  const FakeDatabase::Row* current_ = nullptr;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<RowReader> FakeDatabase::Execute(std::string_view text, const std::string& how) {
  sent.push_back(how + ": " + std::string(text));
  const auto found = answers_.find(text);
  static const Answer kNoRows;
  const Answer& answer = found == answers_.end() ? kNoRows : found->second;
  if (!answer.failure.empty()) throw std::runtime_error(answer.failure);
  return std::make_unique<FakeRowReader>(answer);
}

bool FakeDatabase::EndOpenTransaction(bool commit) {
  if (!transactionOpen) return false;
  transactionOpen = false;
  sent.emplace_back(commit ? "commit" : "rollback");
  return true;
}

FakeDatabase::Answer Rows(const std::string& table) {
  if (table.starts_with('!')) return {{}, table.substr(1)};
  FakeDatabase::Answer answer;
  std::istringstream rows(table);
  for (std::string row; std::getline(rows >> std::ws, row, ';');) {
    if (row == "!") {
      answer.fetchFailsAfter = answer.rows.size();
      continue;
    }
    std::istringstream cells(row);
    answer.rows.emplace_back();
    for (std::string cell; std::getline(cells, cell, '|');) {
      answer.rows.back().push_back(cell == "NULL" ? std::nullopt : std::optional(cell));
    }
  }
  return answer;
}

void RunFakeCases(const std::vector<FakeCase>& cases) {
  for (const FakeCase& row : cases) {
    SCOPED_TRACE(row.name);
    FakeDatabase database;
    for (const auto& [text, answer] : row.answers) database.Reply(text, answer);
    int result = 0;
    const Console console = Captured([&] { result = row.unit(database); });
    EXPECT_EQ(console.out, row.out);
    EXPECT_EQ(console.err, row.err);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(console.thrown, row.thrown);
    EXPECT_EQ(database.sent, row.sent);
  }
}
