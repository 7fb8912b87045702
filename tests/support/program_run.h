#pragma once
// Child programs of a test: started with an environment and a working folder of their own, their
// standard output and error captured in files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>
#include <thread>

#include "support/output_match.h"
#include "support/temp_dir.h"

/// What a finished child program left behind.
struct ProgramRun {
  int exitStatus = -1;  ///< the exit code, or 128 + the number of the signal that ended it
  std::string out;
  std::string err;

  Lines OutLines() const { return SplitLines(out); }
  Lines ErrLines() const { return SplitLines(err); }
};

/// The child's working folder (the test's when empty) and variables to set in its environment (a
/// value) or to remove from it (no value). Its standard input is empty.
struct RunOptions {
  std::filesystem::path workDir;
  std::map<std::string, std::optional<std::string>> environment;
};

/// A child program that runs while the test goes on; killed if it still runs at the end.
class RunningProgram {
 public:
  RunningProgram(const std::filesystem::path& program, const Lines& argv,
                 const RunOptions& options) {
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
      arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const std::string streams[] = {"/dev/null", Captured("stdout"), Captured("stderr")};
    if ((pid_ = fork()) != 0) return;
    for (const auto& [name, value] : options.environment) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    for (int fd = 0; fd < 3; ++fd) dup2(open(streams[fd].c_str(), O_RDWR | O_CREAT, 0600), fd);
    if (options.workDir.empty() || chdir(options.workDir.c_str()) == 0) {
      execv(program.c_str(), arguments.data());
    }
    _exit(127);
  }
  ~RunningProgram() {
    if (!waited_) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  }

  /// Waits until standard output holds `text`; false when the time ran out first.
  bool WaitForOutput(const std::string& text, std::chrono::seconds timeout) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout;
         std::chrono::steady_clock::now() < deadline;) {
      if (ReadWholeFile(Captured("stdout")).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  void Signal(int signalNumber) const { kill(pid_, signalNumber); }

  /// Waits for the end (a hanging program is left to the test's time limit). A sanitizer report
  /// on its standard error fails the test.
  ProgramRun Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                   ReadWholeFile(Captured("stdout")), ReadWholeFile(Captured("stderr"))};
    for (const char* report :
         {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
      EXPECT_EQ(run.err.find(report), std::string::npos) << run.err;
    }
    return run;
  }

 private:
  std::filesystem::path Captured(const char* stream) const { return capture_.path() / stream; }

  TempDir capture_;
  int pid_ = -1;
  bool waited_ = false;
};

/// Runs a program with the given arguments (argv[0] included) and waits for it.
inline ProgramRun RunProgram(const std::filesystem::path& program, const Lines& argv,
                             const RunOptions& options = {}) {
  return RunningProgram(program, argv, options).Wait();
}
