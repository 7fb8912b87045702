#pragma once

#include <sql.h>

#include "db/database.h"
#include "db/db_type.h"

/// The database over the run's ODBC connection. Each query owns its statement handle until its
/// reader goes; text columns are read into one buffer per reader, kept for its rows. The
/// transaction statements among the executed texts are followed, so that a transaction left open
/// can be ended.
class OdbcDatabase final : public Database {
 public:
  OdbcDatabase(SQLHDBC connection, DbType dbType) : connection_(connection), dbType_(dbType) {}

  std::unique_ptr<RowReader> Query(std::string_view text) override;
  std::unique_ptr<RowReader> RunQuery(std::string_view text) override;
  void ExecuteOnce(std::string_view text) override;
  bool EndOpenTransaction(bool commit) override;

  /// Whether a transaction that the statements left open was rolled back, or failed to commit:
  /// then the database did not keep all that the run reported as done.
  bool workRolledBack() const { return workRolledBack_; }

 private:
  std::unique_ptr<RowReader> Execute(std::string_view text, bool traced);

  SQLHDBC connection_;
  DbType dbType_;
  bool transactionOpen_ = false;
  bool workRolledBack_ = false;
};
