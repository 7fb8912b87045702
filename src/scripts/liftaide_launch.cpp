#include "scripts/liftaide_launch.h"

#include "platform/process.h"
#include "platform/secret_wipe.h"
#include "scripts/base64.h"

namespace {

constexpr const char* kMaskedPassword = "*****";

}  // namespace

std::vector<std::string> BuildLaunchArguments(int baseVersion, const std::string& dsn,
                                              const std::string& userName,
                                              const std::string& password) {
  std::vector<std::string> arguments{std::to_string(baseVersion), Base64Encode(dsn)};
  if (!userName.empty()) {
    arguments.push_back(Base64Encode(userName));
    arguments.push_back(Base64Encode(password));
  }
  return arguments;
}

std::string BuildLaunchCommandLine(int baseVersion, const std::string& dsn,
                                   const std::string& userName, const std::string& password,
                                   bool masked) {
  std::vector<std::string> arguments = BuildLaunchArguments(baseVersion, dsn, userName, password);
  if (masked && !userName.empty()) {
    WipeSecret(arguments.back());
    arguments.back() = kMaskedPassword;
  }
  std::string commandLine = ".\\liftaide ";
  commandLine += arguments.front();
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    commandLine += " \"";
    commandLine += arguments[index];
    commandLine += '"';
  }
  return commandLine;
}

int ProcessLiftaideLauncher::Launch(const std::vector<std::string>& arguments) {
  return RunProcess("./liftaide", arguments);
}
