#include "db/statement_executor.h"

#include "db/statement_runner.h"

void ConnectionExecutor::ExecuteOnce(std::string_view text) { ::ExecuteOnce(connection_, text); }
