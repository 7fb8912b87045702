#include "support/program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace {

std::vector<std::string> MergeEnvironment(
    const std::map<std::string, std::optional<std::string>>& overrides) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    const std::string name = variable.substr(0, variable.find('='));
    if (overrides.count(name) == 0) merged.push_back(variable);
  }
  for (const auto& [name, value] : overrides) {
    if (value) merged.push_back(name + "=" + *value);
  }
  return merged;
}

std::vector<char*> AsArgv(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

int WaitWithTimeout(pid_t child, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "program did not end within " << timeout.count() << " s and was killed";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

void CheckForSanitizerReports(const std::string& err) {
  for (const char* marker : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
    EXPECT_EQ(err.find(marker), std::string::npos) << "sanitizer report:\n" << err;
  }
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> ProgramRun::OutLines() const { return SplitLines(out); }
std::vector<std::string> ProgramRun::ErrLines() const { return SplitLines(err); }

RunningProgram::RunningProgram(const std::filesystem::path& program,
                               const std::vector<std::string>& argv, const RunOptions& options)
    : capture_(std::make_unique<TempDir>()), timeout_(options.timeout) {
  const auto inPath = capture_->WriteFile("stdin", options.input.value_or(""));
  const auto outPath = capture_->path() / "stdout";
  const auto errPath = capture_->path() / "stderr";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (!options.workDir.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
  }
  std::vector<std::string> arguments = argv;
  std::vector<char*> argPointers = AsArgv(arguments);
  std::vector<std::string> environment = MergeEnvironment(options.environment);
  std::vector<char*> envPointers = AsArgv(environment);

  pid_t child = 0;
  const int spawnError = posix_spawn(&child, program.c_str(), &actions, nullptr,
                                     argPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) {
    ADD_FAILURE() << "cannot start " << program << ": " << std::strerror(spawnError);
    return;
  }
  pid_ = child;
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0 && !waited_) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

bool RunningProgram::WaitForOutput(const std::string& text, std::chrono::seconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadWholeFile(capture_->path() / "stdout").find(text) != std::string::npos) return true;
    siginfo_t info{};
    if (pid_ <= 0 ||
        (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid != 0)) {
      // Ended: look once more, the text may have come with the end.
      return ReadWholeFile(capture_->path() / "stdout").find(text) != std::string::npos;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void RunningProgram::Signal(int signalNumber) const {
  if (pid_ > 0 && !waited_) kill(pid_, signalNumber);
}

ProgramRun RunningProgram::Wait() {
  ProgramRun run;
  if (pid_ <= 0) return run;
  run.exitStatus = WaitWithTimeout(pid_, timeout_);
  waited_ = true;
  run.out = ReadWholeFile(capture_->path() / "stdout");
  run.err = ReadWholeFile(capture_->path() / "stderr");
  CheckForSanitizerReports(run.err);
  return run;
}

ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& argv,
                      const RunOptions& options) {
  return RunningProgram(program, argv, options).Wait();
}
