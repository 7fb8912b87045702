#pragma once

#include <sql.h>

#include <string_view>

/// Where the script runners send their statements. The database runs them through ExecuteOnce;
/// tests record them instead.
class StatementExecutor {
 public:
  virtual ~StatementExecutor() = default;

  /// Runs one statement with the statement runner's trace; a failure propagates.
  virtual void ExecuteOnce(std::string_view text) = 0;
};

/// Runs every statement on the connection with ExecuteOnce.
class ConnectionExecutor final : public StatementExecutor {
 public:
  explicit ConnectionExecutor(SQLHDBC connection) : connection_(connection) {}

  void ExecuteOnce(std::string_view text) override;

  SQLHDBC connection() const { return connection_; }

 private:
  SQLHDBC connection_;
};
