// The liftaide that ships with the demo. schemalift launches it once per upgrade step as
//
//   ./liftaide <base version> <dsn> [<user name> <password>]
//
// with the DSN, user name and password base64-encoded. This program checks that command line
// (a known base version, two or four arguments, base64 texts that decode, a DSN that is not
// empty), appends one line describing the launch to its log and exits 0. It never writes the
// password, in any form, to the console or the log.
//
// The log is the file named by LIFTAIDE_LOG, or liftaide.log in the working folder. Exit
// statuses: 0 for a good command line, 2 for a bad one, 3 when the log cannot be written.

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

constexpr int kStatusBadCommandLine = 2;
constexpr int kStatusLogNotWritten = 3;
constexpr std::array<std::string_view, 3> kBaseVersions = {"550", "600", "650"};

/// The value of a base64 character, or -1.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

/// Strict decoding: padded groups of four alphabet characters, "=" only at the end. An empty
/// text decodes to the empty string.
std::optional<std::string> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t group = 0; group < text.size(); group += 4) {
    const bool last = group + 4 == text.size();
    std::uint32_t bits = 0;
    int padding = 0;
    for (std::size_t index = 0; index < 4; ++index) {
      const char c = text[group + index];
      if (c == '=' && last && index >= 2) {
        ++padding;
        bits <<= 6;
        continue;
      }
      const int value = Base64Value(c);
      if (value < 0 || padding > 0) return std::nullopt;
      bits = (bits << 6) | static_cast<std::uint32_t>(value);
    }
    bytes.push_back(static_cast<char>((bits >> 16) & 0xFF));
    if (padding < 2) bytes.push_back(static_cast<char>((bits >> 8) & 0xFF));
    if (padding < 1) bytes.push_back(static_cast<char>(bits & 0xFF));
  }
  return bytes;
}

std::string LocalTimestamp() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  std::ostringstream text;
  text << std::put_time(&local, "%Y-%m-%d %H:%M:%S");
  return text.str();
}

std::string LogPath() {
  const char* path = std::getenv("LIFTAIDE_LOG");
  return path != nullptr && *path != '\0' ? path : "liftaide.log";
}

int Refuse(const std::string& reason) {
  std::cerr << "liftaide: " << reason << std::endl;
  std::cerr << "usage: liftaide <base version> <dsn> [<user name> <password>]  (base64 texts)"
            << std::endl;
  return kStatusBadCommandLine;
}

struct Launch {
  std::string baseVersion;
  std::string dsn;
  std::optional<std::string> userName;
  bool passwordGiven = false;
};

/// Checks the command line; the reason for refusing it, or the launch it describes.
std::variant<std::string, Launch> ReadCommandLine(const std::vector<std::string_view>& arguments) {
  if (arguments.size() != 2 && arguments.size() != 4) {
    return "expected 2 or 4 arguments, got " + std::to_string(arguments.size());
  }
  Launch launch;
  launch.baseVersion = arguments[0];
  bool known = false;
  for (const std::string_view version : kBaseVersions) known = known || version == arguments[0];
  if (!known) return "unknown base version '" + launch.baseVersion + "'";
  const std::optional<std::string> dsn = DecodeBase64(arguments[1]);
  if (!dsn) return "the DSN argument is not base64";
  if (dsn->empty()) return "the DSN is empty";
  launch.dsn = *dsn;
  if (arguments.size() == 4) {
    const std::optional<std::string> userName = DecodeBase64(arguments[2]);
    if (!userName) return "the user name argument is not base64";
    // The password is decoded only to check it; its text is dropped at once.
    if (!DecodeBase64(arguments[3])) return "the password argument is not base64";
    launch.userName = *userName;
    launch.passwordGiven = !arguments[3].empty();
  }
  return launch;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const auto checked = ReadCommandLine(arguments);
  if (const auto* reason = std::get_if<std::string>(&checked)) return Refuse(*reason);
  const Launch& launch = std::get<Launch>(checked);

  std::ostringstream line;
  line << "step " << launch.baseVersion << ": DSN '" << launch.dsn << "'";
  if (launch.userName) {
    line << ", user '" << *launch.userName << "', password "
         << (launch.passwordGiven ? "given (not logged)" : "empty");
  } else {
    line << ", no user name (integrated login)";
  }

  std::ofstream log(LogPath(), std::ios::app);
  log << LocalTimestamp() << " " << line.str() << "\n";
  log.close();
  if (!log) {
    std::cerr << "liftaide: cannot write the log '" << LogPath() << "'" << std::endl;
    return kStatusLogNotWritten;
  }
  std::cout << "liftaide: " << line.str() << " - done." << std::endl;
  return 0;
}
