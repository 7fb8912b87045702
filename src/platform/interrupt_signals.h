#pragma once

/// Watches for the signals that ask the program to stop (SIGINT and SIGTERM). From this call on
/// they no longer end the process; instead `onInterrupt` is called with the signal number, once, on
/// a thread of its own. Later signals of these kinds are ignored. Child processes must be
/// started with an empty signal mask.
void WatchInterruptSignals(void (*onInterrupt)(int signalNumber));

/// The name of a signal number, e.g. "SIGINT".
const char* GetSignalName(int signalNumber);
