#include "settings/outcome_text.h"

#include <stdexcept>

std::string DescribeMismatch(const std::string& expected, const std::string& actual) {
  if (expected == actual) return {};
  return "expected '" + expected + "', got '" + actual + "'\n";
}

std::string ResultOrError(const std::function<std::string()>& read) {
  try {
    return read();
  } catch (const std::runtime_error& error) {
    return std::string("runtime_error: ") + error.what();
  }
}
