#include "platform/process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

void FlushConsole() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

/// The path with backslashes, the first argument as it is and every other one in double quotes,
/// separated by single blanks.
std::string MakeCommandLine(const std::string& path, const std::vector<std::string>& arguments) {
  std::string commandLine = path;
  std::replace(commandLine.begin(), commandLine.end(), '/', '\\');
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    commandLine += index == 0 ? " " : " \"";
    commandLine += arguments[index];
    if (index > 0) commandLine += '"';
  }
  return commandLine;
}

}  // namespace

// The runtime library's command processor finds the program's extension (.exe, .bat, .cmd)
// through PATHEXT.
int RunProcess(const std::string& path, const std::vector<std::string>& arguments) {
  const std::string commandLine = MakeCommandLine(path, arguments);
  FlushConsole();
  return std::system(commandLine.c_str());
}
