#include "support/fake_database.h"

#include <stdexcept>

namespace {

class FakeRowReader final : public RowReader {
 public:
  explicit FakeRowReader(const FakeDatabase::Answer& answer) : answer_(answer) {}

  bool FetchRow() override {
    if (answer_.fetchFailsAfter && next_ == *answer_.fetchFailsAfter) {
      throw std::runtime_error("Cannot fetch the result(rc=-1).");
    }
    if (next_ >= answer_.rows.size()) return false;
    current_ = &answer_.rows[next_++];
    return true;
  }

  std::int32_t GetInt32(int column) override {
    const FakeDatabase::Value& value = Cell(column);
    if (value.text) {
      throw std::runtime_error("Cannot get the result data as Int32 at position " +
                               std::to_string(column) + " (rc=-1).");
    }
    return value.number;
  }

  std::string GetString(int column, std::int32_t bufferLength) override {
    if (bufferLength < 1) {
      throw std::logic_error("Insufficient buffer to return the result of the operation");
    }
    const FakeDatabase::Value& value = Cell(column);
    const std::string text = value.text.value_or(value.isNull ? "" : std::to_string(value.number));
    if (text.size() >= static_cast<std::size_t>(bufferLength)) {
      throw std::overflow_error(
          "The operation required too much data to be stored in the specified buffer.");
    }
    return text;
  }

 private:
  const FakeDatabase::Value& Cell(int column) const {
    if (current_ == nullptr || column < 1 || static_cast<std::size_t>(column) > current_->size()) {
      throw std::runtime_error("Cannot get the result data at position " +
                               std::to_string(column) + " (rc=-1).");
    }
    return (*current_)[static_cast<std::size_t>(column - 1)];
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

FakeDatabase::Value Text(std::string text) { return {std::move(text), 0, false}; }
FakeDatabase::Value Number(std::int32_t number) { return {std::nullopt, number, false}; }
FakeDatabase::Value Null() { return {std::nullopt, 0, true}; }
