// The machine's registry, read below HKEY_LOCAL_MACHINE in the registry view of this 64-bit
// program (no view flag is given). Narrow texts are in the process's ANSI code page, which the
// program's manifest sets to UTF-8.

#include "platform/registry.h"

#include <windows.h>

#include <array>
#include <utility>

struct RegistryKey::State {
  HKEY key = nullptr;

  explicit State(HKEY openKey) : key(openKey) {}
  ~State() { RegCloseKey(key); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
};

RegistryKey::RegistryKey(std::unique_ptr<State> state) : state_(std::move(state)) {}
RegistryKey::RegistryKey(RegistryKey&& other) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept = default;
RegistryKey::~RegistryKey() = default;

std::optional<RegistryKey> OpenRegistryKey(std::string_view keyPath) {
  const std::string path(keyPath);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return RegistryKey(std::make_unique<RegistryKey::State>(key));
}

// The value's type is not asked for: its bytes are returned whatever it holds.
long QueryRegistryValue(const RegistryKey& key, const std::string& valueName, std::string& data) {
  std::array<BYTE, kRegistryValueBufferSize> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  const LSTATUS status =
      RegQueryValueExA(key.state().key, valueName.c_str(), nullptr, nullptr, buffer.data(), &size);
  switch (status) {
    case ERROR_SUCCESS:
      data.assign(reinterpret_cast<const char*>(buffer.data()), size);
      return kRegistrySuccess;
    case ERROR_FILE_NOT_FOUND:
      return kRegistryValueNotFound;
    case ERROR_MORE_DATA:
      return kRegistryMoreData;
    default:
      return kRegistryReadFailed;
  }
}
