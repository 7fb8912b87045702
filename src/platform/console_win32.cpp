#include "platform/console.h"

#include <windows.h>

#include <cstdlib>
#include <iomanip>
#include <iostream>

namespace {

UINT initialOutputCodePage = 0;

void RestoreOutputCodePage() { SetConsoleOutputCP(initialOutputCodePage); }

}  // namespace

bool ReadConsoleLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The program's texts are UTF-8 (its manifest makes UTF-8 the ANSI code page, which the driver
// manager uses for 8-bit texts). A console shows them right in the UTF-8 output code page only: the
// console is switched to it while the program runs, and back when it ends normally. Output to a
// file or a pipe is unchanged UTF-8 bytes, with CR LF line ends (text mode).
void PrepareConsole() {
  initialOutputCodePage = GetConsoleOutputCP();
  if (initialOutputCodePage != 0 && initialOutputCodePage != CP_UTF8 &&
      SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(RestoreOutputCodePage);
  }
  std::cout << std::fixed << std::setprecision(0);
}
