#pragma once

#include <functional>
#include <string>

/// Runs `check` in a new run of the test program that starts from the beginning, so that nothing
/// that the process keeps for its lifetime (the configuration path, the ODBC installer's system
/// folder and its lookup cache) has been set yet. `check` returns an empty text when everything
/// was as expected, else a description of what was not; the test fails with that description.
/// Everything that `check` needs must be set up inside it.
void ExpectInFreshProcess(const std::function<std::string()>& check);
