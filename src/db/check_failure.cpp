#include "db/check_failure.h"

#include <iostream>

void ReportStatementFailure(std::string_view statement, const std::exception& failure) {
  std::cerr << "Error executing statement '" << statement << "', reason: " << failure.what()
            << std::endl;
}

void ReportQueryFailure(std::string_view statement, const std::exception& failure) {
  std::cerr << "Error executing '" << statement << "'. Reason: " << failure.what() << std::endl;
}
