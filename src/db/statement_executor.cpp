#include "db/statement_executor.h"

#include <sqlext.h>

#include <sstream>
#include <stdexcept>

#include "db/diagnostics.h"
#include "db/odbc_result.h"
#include "db/statement_runner.h"
#include "db/transaction_statement.h"

namespace {

bool scriptWorkRolledBack = false;

}  // namespace

void ConnectionExecutor::ExecuteOnce(std::string_view text) {
  ::ExecuteOnce(connection_, text);
  transactionOpen_ = IsTransactionOpenAfter(transactionOpen_, text, dbType_);
}

bool ConnectionExecutor::EndOpenTransaction(bool commit) {
  if (!transactionOpen_) return false;
  transactionOpen_ = false;
  if (!commit) scriptWorkRolledBack = true;
  // In auto-commit mode the driver ends the transaction that a statement began on the server.
  const SQLRETURN code =
      SQLEndTran(SQL_HANDLE_DBC, connection_, commit ? SQL_COMMIT : SQL_ROLLBACK);
  if (!IsSucceeded(code)) {
    scriptWorkRolledBack = true;
    std::ostringstream text;
    text << "Cannot " << (commit ? "commit" : "roll back") << " the open transaction(rc=" << code
         << ").";
    WriteDiagnostics(SQL_HANDLE_DBC, connection_, text, true);
    throw std::runtime_error(text.str());
  }
  return true;
}

bool WasScriptWorkRolledBack() {
  return scriptWorkRolledBack;
}
