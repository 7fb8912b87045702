#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "db/statement_executor.h"

/// Records the statements that a runner sends instead of executing them. When told to, it throws
/// a std::runtime_error at the Nth statement (counting from 1); that statement is recorded as
/// attempted but not as executed.
class RecordingExecutor final : public StatementExecutor {
 public:
  RecordingExecutor() = default;
  explicit RecordingExecutor(std::size_t failAt, std::string failureText = "recorded failure")
      : failAt_(failAt), failureText_(std::move(failureText)) {}

  void ExecuteOnce(std::string_view text) override {
    attempted_.emplace_back(text);
    if (attempted_.size() == failAt_) throw std::runtime_error(failureText_);
    executed_.emplace_back(text);
  }

  /// Records the end of an open transaction as "<COMMIT>" or "<ROLLBACK>" among the executed
  /// statements when told that one is open.
  bool EndOpenTransaction(bool commit) override {
    if (!transactionOpen_) return false;
    transactionOpen_ = false;
    executed_.emplace_back(commit ? "<COMMIT>" : "<ROLLBACK>");
    return true;
  }
  void OpenTransaction() { transactionOpen_ = true; }

  /// The statements that went through, in order.
  const std::vector<std::string>& executed() const { return executed_; }
  /// Every statement that was sent, the failing one included.
  const std::vector<std::string>& attempted() const { return attempted_; }

 private:
  bool transactionOpen_ = false;
  std::size_t failAt_ = 0;
  std::string failureText_;
  std::vector<std::string> attempted_;
  std::vector<std::string> executed_;
};
