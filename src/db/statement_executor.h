#pragma once

#include <sql.h>

#include <string_view>

#include "db/db_type.h"

/// Where the script runners send their statements. The database runs them through ExecuteOnce;
/// tests record them instead.
class StatementExecutor {
 public:
  virtual ~StatementExecutor() = default;

  /// Runs one statement with the statement runner's trace; a failure propagates.
  virtual void ExecuteOnce(std::string_view text) = 0;

  /// Ends a transaction that the statements sent so far opened and left open: commits it, or
  /// rolls it back. Returns whether there was one; nothing is sent when there was none.
  virtual bool EndOpenTransaction(bool commit) = 0;
};

/// Runs every statement on the connection with ExecuteOnce, and follows the transaction
/// statements among them.
class ConnectionExecutor final : public StatementExecutor {
 public:
  ConnectionExecutor(SQLHDBC connection, DbType dbType)
      : connection_(connection), dbType_(dbType) {}

  void ExecuteOnce(std::string_view text) override;
  bool EndOpenTransaction(bool commit) override;

 private:
  SQLHDBC connection_;
  DbType dbType_;
  bool transactionOpen_ = false;
};

/// Whether a connection executor of this run has rolled back work that a script file left in an
/// open transaction: then the database did not keep everything the run reported as done.
bool WasScriptWorkRolledBack();
