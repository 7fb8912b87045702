#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <iostream>

extern char** environ;

namespace {

/// The argument vector of a child: pointers into the strings, ended by a null pointer.
std::vector<char*> MakeArgumentVector(const std::string& path,
                                      const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

/// The child starts with no signal blocked, whatever this process blocks for its own watching.
void ClearChildSignalMask(posix_spawnattr_t& attributes) {
  sigset_t empty;
  sigemptyset(&empty);
  posix_spawnattr_setsigmask(&attributes, &empty);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
}

void FlushConsole() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(stdout);
  std::fflush(stderr);
}

/// Waits for the child to end and turns its wait status into the result.
int WaitForChild(pid_t child) {
  for (;;) {
    int waitStatus = 0;
    const pid_t waited = waitpid(child, &waitStatus, 0);
    if (waited == -1) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  }
}

}  // namespace

int RunProcess(const std::string& path, const std::vector<std::string>& arguments) {
  std::vector<char*> argv = MakeArgumentVector(path, arguments);
  FlushConsole();
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  ClearChildSignalMask(attributes);
  pid_t child = 0;
  const int spawnError =
      posix_spawn(&child, path.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (spawnError != 0) return -1;
  return WaitForChild(child);
}
