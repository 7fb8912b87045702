#include "platform/interrupt_signals.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <system_error>
#include <thread>

namespace {

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

int WaitForSignal(const sigset_t& signals) {
  int signalNumber = 0;
  while (sigwait(&signals, &signalNumber) != 0) {
  }
  return signalNumber;
}

/// The callback may block (a driver may hold the statement while it cancels it), so it gets a
/// thread of its own and the watcher stays free for a second signal. The new thread inherits the
/// watcher's mask, so the signals stay blocked there too.
void NotifyOnItsOwnThread(void (*onInterrupt)(int), int signalNumber) {
  try {
    std::thread(onInterrupt, signalNumber).detach();
  } catch (const std::system_error&) {
    onInterrupt(signalNumber);
  }
}

/// Skipped when another thread holds standard output: it may be stuck in a write that never ends.
void FlushStandardOutputIfFree() {
  if (ftrylockfile(stdout) != 0) return;
  std::fflush(stdout);
  funlockfile(stdout);
}

void WriteLastErrorLine(const std::string& text) {
  const std::string line = text + "\n";
  const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
  static_cast<void>(written);
}

/// The signal is raised on this thread, where it is blocked, and then unblocked here, so that its
/// default action ends the process and the parent sees the process killed by it.
[[noreturn]] void EndProcessBySignal(int signalNumber) {
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signalNumber, &defaultAction, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  raise(signalNumber);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  _exit(128 + signalNumber);
}

void WaitForSignals(sigset_t signals, void (*onInterrupt)(int),
                    std::string (*describeAbandonment)(int)) {
  NotifyOnItsOwnThread(onInterrupt, WaitForSignal(signals));
  const int secondSignal = WaitForSignal(signals);
  FlushStandardOutputIfFree();
  WriteLastErrorLine(describeAbandonment(secondSignal));
  EndProcessBySignal(secondSignal);
}

}  // namespace

void WatchInterruptSignals(void (*onInterrupt)(int signalNumber),
                           std::string (*describeAbandonment)(int signalNumber)) {
  static bool watching = false;
  if (watching) return;
  watching = true;
  const sigset_t signals = InterruptSignals();
  // Blocked here before the watcher starts, so that it inherits the mask and only sigwait takes
  // these signals.
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WaitForSignals, signals, onInterrupt, describeAbandonment).detach();
}

const char* GetSignalName(int signalNumber) {
  switch (signalNumber) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "a signal";
  }
}
