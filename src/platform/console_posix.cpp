#include "platform/console.h"

#include <clocale>
#include <iomanip>
#include <iostream>

bool ReadConsoleLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void PrepareConsole() {
  // Script files and settings are UTF-8. The driver manager converts 8-bit statement and message
  // texts to and from UTF-16 by the character type of the C locale; in the default "C" locale it
  // would widen byte by byte and corrupt every non-ASCII character.
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "");
  std::cout << std::fixed << std::setprecision(0);
}
