#include "db/statement_runner.h"

#include <ctime>
#include <iostream>

#include "db/interruption.h"
#include "db/statement.h"
#include "platform/local_time.h"

std::string CurrentTimestamp() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = ToLocalTime(now);
  char buffer[80] = {};
  const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(buffer, length);
}

void RunStatement(Statement& statement, std::string_view text) {
  ThrowIfInterrupted();
  std::cout << CurrentTimestamp() << " - Executing: " << std::endl;
  std::cout << text << std::endl;
  ExecuteStatement(statement, text);
  std::cout << CurrentTimestamp() << " - Done." << std::endl;
}
