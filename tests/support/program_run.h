#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

/// What a finished child program left behind.
struct ProgramRun {
  int exitStatus = -1;  ///< the exit code, or 128 + signal number
  std::string out;
  std::string err;

  std::vector<std::string> OutLines() const;
  std::vector<std::string> ErrLines() const;
};

struct RunOptions {
  /// Text fed to standard input; with no value standard input is empty (end of input at once).
  std::optional<std::string> input;
  std::filesystem::path workDir;
  /// Variables to set (a value) or remove (no value) in the child's environment.
  std::map<std::string, std::optional<std::string>> environment;
  std::chrono::seconds timeout{120};
};

/// Runs a program with the given arguments (argv[0] included) and waits for it. A program still
/// running after the timeout is killed and the test fails. Sanitizer reports in its standard
/// error fail the test too.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& argv,
                      const RunOptions& options = {});

/// Splits text at line feeds; a last line without one still counts.
std::vector<std::string> SplitLines(const std::string& text);
