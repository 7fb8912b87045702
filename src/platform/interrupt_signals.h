#pragma once

#include <string>

/// Watches for the signals that ask the program to stop (SIGINT and SIGTERM). From this call on
/// they no longer end the process at once; instead `onInterrupt` is called with the number of the
/// first one, once, on a thread of its own. A second signal of either kind ends the process at
/// once, by that signal, whatever `onInterrupt` is doing: standard output is flushed when no other
/// thread is writing to it, then `describeAbandonment(signalNumber)` is written whole as the last
/// line of standard error. Child processes must be started with an empty signal mask.
void WatchInterruptSignals(void (*onInterrupt)(int signalNumber),
                           std::string (*describeAbandonment)(int signalNumber));

/// On Windows, Ctrl+C and Ctrl+Break stand for SIGINT (numbers SIGINT and SIGBREAK); a second one
/// ends the process with the status of a process ended by Ctrl+C, 0xC000013A, and standard output
/// is not flushed then. Nothing stands for SIGTERM.
///
/// The name of a signal number, e.g. "SIGINT" ("Ctrl+C" and "Ctrl+Break" on Windows).
const char* GetSignalName(int signalNumber);
