#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

/// Bytes that a value may take when it is read, its terminating NUL included.
inline constexpr std::size_t kRegistryValueBufferSize = 512;

/// Status codes of QueryRegistryValue, numbered as the Windows registry numbers them.
inline constexpr long kRegistrySuccess = 0;
inline constexpr long kRegistryReadFailed = 1;
inline constexpr long kRegistryValueNotFound = 2;
inline constexpr long kRegistryMoreData = 234;

/// The machine-wide list of ODBC system data sources: each value is named after a data source and
/// holds the name of its driver.
inline constexpr std::string_view kOdbcDataSourcesKeyPath =
    "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

/// A key of the machine's settings store, open for reading. Closed when destroyed.
class RegistryKey {
 public:
  /// What the platform's store keeps for an open key.
  struct State;

  explicit RegistryKey(std::unique_ptr<State> state);
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  ~RegistryKey();

  const State& state() const { return *state_; }

 private:
  std::unique_ptr<State> state_;
};

/// Opens the key at `keyPath` (backslash-separated, below the local machine's root) for reading.
/// Empty optional when the key cannot be opened.
std::optional<RegistryKey> OpenRegistryKey(std::string_view keyPath);

/// Reads a value's data as narrow text into a buffer of kRegistryValueBufferSize bytes. On success
/// returns kRegistrySuccess and sets `data` to the bytes read, which may contain NUL bytes.
/// Otherwise returns kRegistryValueNotFound for a missing value, kRegistryMoreData for one that
/// does not fit the buffer, kRegistryReadFailed for any other failure, and leaves `data` as it is.
long QueryRegistryValue(const RegistryKey& key, const std::string& valueName, std::string& data);
