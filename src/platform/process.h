#pragma once

#include <string>
#include <vector>

/// Starts the program at `path` (relative paths are taken from the working folder, no search
/// path) with the given arguments after the program name, without a shell, and waits for it.
/// Standard output and standard error are flushed first so that the console stays in order.
/// Returns the program's exit code, 128 + the signal number for a program ended by a signal, and
/// -1 for a program that cannot be started.
int RunProcess(const std::string& path, const std::vector<std::string>& arguments);
