#pragma once

#include <string>
#include <vector>

/// The arguments that liftaide gets after its name: the base version, the base64 DSN and, when the
/// user name is not empty, the base64 user name and the base64 password.
std::vector<std::string> BuildLaunchArguments(int baseVersion, const std::string& dsn,
                                              const std::string& userName,
                                              const std::string& password);

/// The command line of liftaide as one text: ".\liftaide", the base version and the base64 texts
/// in double quotes, separated by single blanks. The masked form shows "*****" for the password.
std::string BuildLaunchCommandLine(int baseVersion, const std::string& dsn,
                                   const std::string& userName, const std::string& password,
                                   bool masked);

/// Where the upgrade run starts liftaide.
class LiftaideLauncher {
 public:
  virtual ~LiftaideLauncher() = default;

  /// Runs liftaide with the arguments after its name and waits for it. Returns its exit status,
  /// or -1 when it cannot be started.
  virtual int Launch(const std::vector<std::string>& arguments) = 0;
};

/// Starts the program liftaide of the working folder directly, without a shell.
class ProcessLiftaideLauncher final : public LiftaideLauncher {
 public:
  int Launch(const std::vector<std::string>& arguments) override;
};
