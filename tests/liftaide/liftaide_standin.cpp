// Stands in for liftaide. It appends one line per launch to the file named by LIFTAIDE_RECORD:
// each argument after the program name in square brackets, separated by single blanks. It exits
// with the number in LIFTAIDE_EXIT (0 when unset), or ends itself with the signal numbered in
// LIFTAIDE_SIGNAL. With LIFTAIDE_ECHO set it writes "liftaide stand-in: " and its first argument
// to standard output. With LIFTAIDE_PIDFILE set it writes its process id and a line feed to that
// file first; with LIFTAIDE_HANG set it then sleeps until a signal ends it. It never writes the
// password (or any other argument) to the console.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

int ReadNumber(const char* variable, int fallback) {
  const char* value = std::getenv(variable);
  return value == nullptr || *value == '\0' ? fallback : std::atoi(value);
}

bool RecordArguments(int argc, char* argv[]) {
  const char* recordPath = std::getenv("LIFTAIDE_RECORD");
  if (recordPath == nullptr || *recordPath == '\0') return true;
  std::ofstream record(recordPath, std::ios::app);
  for (int index = 1; index < argc; ++index) {
    record << (index > 1 ? " " : "") << "[" << argv[index] << "]";
  }
  record << "\n";
  return static_cast<bool>(record);
}

/// Writes the process id to the file named by LIFTAIDE_PIDFILE, through a temporary file and a
/// rename, so that a reader never sees a partial number.
bool WritePidFile() {
  const char* pidPath = std::getenv("LIFTAIDE_PIDFILE");
  if (pidPath == nullptr || *pidPath == '\0') return true;
  const std::string temporary = std::string(pidPath) + ".tmp";
  {
    std::ofstream pidFile(temporary, std::ios::trunc);
    pidFile << getpid() << "\n";
    if (!pidFile.flush()) return false;
  }
  return std::rename(temporary.c_str(), pidPath) == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!RecordArguments(argc, argv)) {
    std::cerr << "liftaide stand-in: cannot write the record file" << std::endl;
    return 99;
  }
  if (!WritePidFile()) {
    std::cerr << "liftaide stand-in: cannot write the pid file" << std::endl;
    return 98;
  }
  if (std::getenv("LIFTAIDE_ECHO") != nullptr) {
    std::cout << "liftaide stand-in: " << (argc > 1 ? argv[1] : "") << std::endl;
  }
  if (const int signalNumber = ReadNumber("LIFTAIDE_SIGNAL", 0); signalNumber != 0) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
  }
  if (std::getenv("LIFTAIDE_HANG") != nullptr) {
    for (;;) pause();
  }
  return ReadNumber("LIFTAIDE_EXIT", 0);
}
