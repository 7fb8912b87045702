// Without a Windows registry, the two keys that the program reads come from two stores:
// - the ODBC system data source list (kOdbcDataSourcesKeyPath) is unixODBC's system odbc.ini, and
//   the value of a data source is the Driver entry of its section, read through the ODBC
//   installer library;
// - every other key is the section of the same name in the registry file: the file named by
//   HALVIK_REGISTRY_FILE, or kDefaultRegistryFile.

#include "platform/registry.h"

#include <odbcinst.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <variant>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

// Exported by libodbcinst, though its header is not usable outside unixODBC's own build: the
// folder of the system odbc.ini, as the installer uses it (ODBCSYSINI, else the built-in folder;
// fixed for the process on first use).
extern "C" char* odbcinst_system_file_path(char* buffer);

namespace {

constexpr const char* kDefaultRegistryFile = "/etc/halvik/registry.ini";

/// The installer's answer when a data source or its Driver entry is missing. No line of odbc.ini
/// can hold a line break, so no Driver entry reads as this text.
constexpr const char* kNoDriverEntry = "\n";

/// The open ODBC system data source list.
struct OdbcDataSources {};

}  // namespace

struct RegistryKey::State {
  std::variant<IniSection, OdbcDataSources> store;
};

RegistryKey::RegistryKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
RegistryKey::RegistryKey(RegistryKey&& other) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept = default;
RegistryKey::~RegistryKey() = default;

namespace {

/// Switches the ODBC installer to the system data sources for the scope, then restores the mode.
class SystemDsnScope {
 public:
  SystemDsnScope() {
    SQLGetConfigMode(&previousMode_);
    SQLSetConfigMode(ODBC_SYSTEM_DSN);
  }
  ~SystemDsnScope() { SQLSetConfigMode(previousMode_); }
  SystemDsnScope(const SystemDsnScope&) = delete;
  SystemDsnScope& operator=(const SystemDsnScope&) = delete;

 private:
  UWORD previousMode_ = ODBC_BOTH_DSN;
};

std::string GetSystemOdbcIniPath() {
  std::array<char, FILENAME_MAX + 1> buffer{};
  const std::string folder = odbcinst_system_file_path(buffer.data());
  return folder + "/odbc.ini";
}

bool IsReadableFile(const std::string& path) {
  return IsRegularFile(path) && ::access(path.c_str(), R_OK) == 0;
}

/// The data source list cannot be opened when the system odbc.ini does not exist or cannot be
/// read: then the machine has no system data source list at all, which is what a missing key
/// means. The file is checked before the installer is asked, because the installer would create a
/// missing odbc.ini, and this program writes no settings.
std::optional<RegistryKey> OpenOdbcDataSources() {
  if (!IsReadableFile(GetSystemOdbcIniPath())) return std::nullopt;
  return RegistryKey(std::make_unique<RegistryKey::State>(RegistryKey::State{OdbcDataSources{}}));
}

std::optional<RegistryKey> OpenRegistryFileSection(std::string_view keyPath) {
  const std::string file =
      ReadEnvironmentVariable("HALVIK_REGISTRY_FILE").value_or(kDefaultRegistryFile);
  const std::optional<std::string> text = ReadTextFile(file);
  if (!text) return std::nullopt;
  std::optional<IniSection> section = FindIniSection(*text, keyPath);
  if (!section) return std::nullopt;
  return RegistryKey(std::make_unique<RegistryKey::State>(RegistryKey::State{std::move(*section)}));
}

long QueryIniValue(const IniSection& section, const std::string& valueName, std::string& data) {
  const auto entry = section.find(valueName);
  if (entry == section.end()) return kRegistryValueNotFound;
  if (entry->second.size() >= kRegistryValueBufferSize) return kRegistryMoreData;
  data = entry->second;
  return kRegistrySuccess;
}

/// The Driver entry of a system data source. An empty name is the key's unnamed value, which the
/// data source list does not have (the installer would answer it from the first section).
long QueryDataSourceDriver(const std::string& dataSource, std::string& data) {
  if (dataSource.empty()) return kRegistryValueNotFound;
  // One byte more than a value may take, so that a value that does not fit can be told.
  std::array<char, kRegistryValueBufferSize + 1> buffer{};
  const SystemDsnScope systemDsns;
  const int length =
      SQLGetPrivateProfileString(dataSource.c_str(), "Driver", kNoDriverEntry, buffer.data(),
                                 static_cast<int>(buffer.size()), "odbc.ini");
  if (length < 0) return kRegistryReadFailed;
  const std::string_view driver(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
  if (driver == kNoDriverEntry) return kRegistryValueNotFound;
  if (driver.size() >= kRegistryValueBufferSize) return kRegistryMoreData;
  data = driver;
  return kRegistrySuccess;
}

}  // namespace

std::optional<RegistryKey> OpenRegistryKey(std::string_view keyPath) {
  if (keyPath == kOdbcDataSourcesKeyPath) return OpenOdbcDataSources();
  return OpenRegistryFileSection(keyPath);
}

long QueryRegistryValue(const RegistryKey& key, const std::string& valueName, std::string& data) {
  if (const auto* section = std::get_if<IniSection>(&key.state().store)) {
    return QueryIniValue(*section, valueName, data);
  }
  return QueryDataSourceDriver(valueName, data);
}
