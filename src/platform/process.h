#pragma once

#include <string>
#include <vector>

/// Starts the program at `path` (relative paths are taken from the working folder, no search
/// path) with the given arguments after the program name, without a shell, and waits for it.
/// Standard output and standard error are flushed first so that the console stays in order.
/// Returns the program's exit code, 128 + the signal number for a program ended by a signal, and
/// -1 for a program that cannot be started.
///
/// On Windows the command processor (COMSPEC, else cmd.exe) runs the command line "<path with
/// backslashes> <first argument> "<second argument>" ...", the form in which the program prints
/// the liftaide command line. Its status is returned whole: a program that ended abnormally gives
/// its exception code, one that cannot be found 9009 (the command processor reports it on standard
/// error); -1 only when the command processor cannot be started.
int RunProcess(const std::string& path, const std::vector<std::string>& arguments);
