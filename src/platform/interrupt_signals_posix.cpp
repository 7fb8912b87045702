#include "platform/interrupt_signals.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <thread>

namespace {

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

void WaitForSignals(sigset_t signals, void (*onInterrupt)(int)) {
  bool notified = false;
  for (;;) {
    int signalNumber = 0;
    if (sigwait(&signals, &signalNumber) != 0) continue;
    if (!notified) {
      notified = true;
      onInterrupt(signalNumber);
    }
  }
}

}  // namespace

void WatchInterruptSignals(void (*onInterrupt)(int signalNumber)) {
  static bool watching = false;
  if (watching) return;
  watching = true;
  const sigset_t signals = InterruptSignals();
  // Blocked here before the watcher starts, so that it inherits the mask and only sigwait takes
  // these signals.
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WaitForSignals, signals, onInterrupt).detach();
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
