#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
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

class TempDir;

/// A child program that runs while the test goes on.
class RunningProgram {
 public:
  RunningProgram(const std::filesystem::path& program, const std::vector<std::string>& argv,
                 const RunOptions& options);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  /// Waits until standard output holds `text`; false when the program ended or the time ran out
  /// first.
  bool WaitForOutput(const std::string& text, std::chrono::seconds timeout);

  /// Sends a signal to the program.
  void Signal(int signalNumber) const;

  /// Waits for the end (killing the program after the options' timeout, which fails the test)
  /// and returns what it left. Sanitizer reports in its standard error fail the test.
  ProgramRun Wait();

  int pid() const { return pid_; }

 private:
  std::unique_ptr<TempDir> capture_;
  std::chrono::seconds timeout_;
  int pid_ = -1;
  bool waited_ = false;
};

/// Runs a program with the given arguments (argv[0] included) and waits for it.
ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& argv,
                      const RunOptions& options = {});

/// Splits text at line feeds; a last line without one still counts.
std::vector<std::string> SplitLines(const std::string& text);
