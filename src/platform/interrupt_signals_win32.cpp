#include "platform/interrupt_signals.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {

void (*notifyInterrupt)(int) = nullptr;
std::string (*describeAbandonment)(int) = nullptr;
std::atomic<int> eventCount{0};

/// Written past the runtime library's streams, whose locks another thread may hold.
void WriteLastErrorLine(const std::string& text) {
  const std::string line = text + "\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
            nullptr);
}

/// The system calls this on a new thread for each event, so the first call may block in the
/// callback (a driver may hold the statement while it cancels it) and a second event still gets
/// through. The second one ends the process at once with the status of a process ended by
/// Ctrl+C. Standard output is not flushed then: the runtime library cannot tell whether another
/// thread is stuck in a write to it, and each line is flushed as it is written anyway.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  const int signalNumber = event == CTRL_C_EVENT ? SIGINT : SIGBREAK;
  if (eventCount.fetch_add(1) == 0) {
    notifyInterrupt(signalNumber);
    return TRUE;
  }
  WriteLastErrorLine(describeAbandonment(signalNumber));
  TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
  return TRUE;
}

}  // namespace

// Ctrl+C and Ctrl+Break stand for SIGINT here; a program has no way to catch an end from outside
// (TerminateProcess), so nothing stands for SIGTERM.
void WatchInterruptSignals(void (*onInterrupt)(int signalNumber),
                           std::string (*describe)(int signalNumber)) {
  static bool watching = false;
  if (watching) return;
  watching = true;
  notifyInterrupt = onInterrupt;
  describeAbandonment = describe;
  // Also undoes an inherited "ignore Ctrl+C" (a process started in a new process group).
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

const char* GetSignalName(int signalNumber) {
  switch (signalNumber) {
    case SIGINT:
      return "Ctrl+C";
    case SIGBREAK:
      return "Ctrl+Break";
    default:
      return "a signal";
  }
}
