#include "driver/command_line.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>

#include "driver/option_scanner.h"
#include "driver/usage.h"
#include "platform/secret_wipe.h"
#include "scripts/base64.h"
#include "scripts/source_version.h"

namespace {

constexpr const char* kOptionString = "b:d:p:t:u:v:s:eym";

int FailOption(const std::string& message) {
  std::cerr << message << std::endl;
  PrintUsage();
  return 1;
}

/// Decodes a base64 option argument into its setting. An argument that looks like base64 but
/// does not decode is refused like any other invalid text.
bool DecodeBase64Option(const char* argument, std::string& setting) {
  if (!IsBase64Text(argument)) return false;
  std::optional<std::string> decoded = Base64Decode(argument);
  if (!decoded) return false;
  WipeSecret(setting);
  setting = *decoded;
  // The decoded text may be the password: leave no copy of it behind.
  WipeSecret(*decoded);
  return true;
}

/// Applies one option; returns an exit status when the option ends the run.
std::optional<int> ApplyOption(int letter, const char* argument, RunSettings& settings) {
  switch (letter) {
    case 'p':
      if (!DecodeBase64Option(argument, settings.password)) {
        return FailOption(std::string("ERROR: Password is not a valid base64 string: '") +
                          argument + "'");
      }
      return std::nullopt;
    case 'u':
      if (!DecodeBase64Option(argument, settings.userName)) {
        return FailOption(std::string("ERROR: Username is not a valid base64 string: '") +
                          argument + "'");
      }
      return std::nullopt;
    case 'd':
      if (!DecodeBase64Option(argument, settings.dsn)) {
        return FailOption(std::string("ERROR: DSN is not a valid base64 string: '") + argument +
                          "'");
      }
      return std::nullopt;
    case 't':
      settings.dbType = ParseDbType(argument);
      if (settings.dbType == DbType::none) {
        return FailOption(std::string("ERROR: Invalid DB type: '") + argument + "'");
      }
      return std::nullopt;
    case 'b':
      settings.sourceVersion = ParseDecimalInt32(argument);
      if (!IsSupportedSourceVersion(settings.sourceVersion)) {
        PrintUsage();
        return 1;
      }
      settings.versionGiven = true;
      return std::nullopt;
    case 'y':
      settings.nonInteractive = true;
      return std::nullopt;
    case 'v':
      if (*argument == '\0') return FailOption("ERROR: Invalid warnings output file parameter.");
      settings.warningsFile = argument;
      return std::nullopt;
    case 'e':
      settings.externalDatabase = true;
      return std::nullopt;
    case 'm':
      settings.skipServerChecks = true;
      return std::nullopt;
    case 's':
      settings.buildTag = argument;
      std::cout << "Build to build mode." << std::endl;
      settings.warningsFile.clear();
      return std::nullopt;
    default:
      return FailOption("ERROR: Invalid parameter.");
  }
}

}  // namespace

std::optional<int> ReadCommandLine(int argc, char* const argv[], RunSettings& settings) {
  std::cout << "Parsing command line arguments..." << std::endl;
  OptionScanner scanner;
  for (;;) {
    const int letter = scanner.GetOption(argc, argv, kOptionString);
    if (letter == -1) break;
    if (std::optional<int> status = ApplyOption(letter, scanner.optionArgument(), settings)) {
      return status;
    }
  }
  std::cout << "Command line arguments parsed." << std::endl;
  return std::nullopt;
}
