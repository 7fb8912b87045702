#include "db/statement_runner.h"

#include <ctime>
#include <iostream>

#include "db/interruption.h"
#include "db/statement.h"

std::string CurrentTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
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
