#include "scripts/script_output.h"

#include <iostream>

void PrintScriptPath(std::string_view path) {
  std::cout << "** " << path << " **" << std::endl;
}

void PrintExecutingSqlCommands() {
  std::cout << "Executing SQL commands:" << std::endl;
}

void PrintExecutionError(std::string_view path, std::uint64_t lineNumber,
                         const std::exception& failure) {
  std::cerr << "Error while executing " << path << ":" << lineNumber
            << ", reason: " << failure.what() << std::endl;
}

void PrintExecutionError(std::string_view path, const std::exception& failure) {
  std::cerr << "Error while executing " << path << ", reason: " << failure.what() << std::endl;
}
