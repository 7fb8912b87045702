#include "platform/console.h"

#include <iomanip>
#include <iostream>

bool ReadConsoleLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void PrepareConsole() { std::cout << std::fixed << std::setprecision(0); }
