// What the fuzz targets share: the entry point, invariant checks, input helpers, a scratch folder
// and a database that records what the script runners send.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "db/database.h"
#include "scripts/script_text.h"
#include "support/temp_dir.h"

/// Aborts on a broken invariant: the fuzzer keeps the input as a crash, and the line of the check
/// is in the stack trace that it prints.
#define FUZZ_CHECK(...) ((__VA_ARGS__) ? void() : std::abort())

/// Defines the fuzzer's entry point on the input as text: FUZZ_TARGET(text) { ... }. What the
/// program writes to std::cout and std::cerr is dropped.
#define FUZZ_TARGET(text)                                                             \
  void FuzzOne(std::string_view text);                                                \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    std::cout.rdbuf(nullptr), std::cerr.rdbuf(nullptr);                               \
    return FuzzOne({reinterpret_cast<const char*>(data), size}), 0;                   \
  }                                                                                   \
  void FuzzOne(std::string_view text)

/// Takes the first byte off the text, for the target's own choices; 0 for an empty text.
inline unsigned TakeFirstByte(std::string_view& text) {
  const unsigned byte = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
  return text.remove_prefix(std::min<std::size_t>(text.size(), 1)), byte;
}

/// Splits at every separator: n separators give n + 1 pieces.
inline std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> pieces(1);
  for (const char c : text) c == separator ? pieces.emplace_back() : pieces.back() += c;
  return pieces;
}

/// Every `from` replaced by `to`, left to right.
inline std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  for (std::size_t at; (at = text.find(from)) != text.npos; text.remove_prefix(at + from.size()))
    result.append(text.substr(0, at)).append(to);
  return result.append(text);
}

/// A folder of this process below the temporary folder, removed when the process ends, where the
/// program looks for its configuration file (halvik-twx/twxd.cfg) and settings file (registry.ini).
inline const struct ScratchFolder : TempDir {
  ScratchFolder() {
    ::setenv("HALVIK_CFG_DIR", path().c_str(), 1);
    ::setenv("HALVIK_REGISTRY_FILE", (path() / "registry.ini").c_str(), 1);
  }
} kScratch;

/// What a RecordingDatabase throws.
struct RecordedFailure : std::runtime_error {
  using runtime_error::runtime_error;
};

/// A database that records the texts given to ExecuteOnce and throws RecordedFailure at the
/// statement `failAt` (counted from 1; never for 0). A script runner never queries; no transaction
/// is open.
struct RecordingDatabase final : Database {
  explicit RecordingDatabase(std::size_t failAt) : failAt(failAt) {}
  std::unique_ptr<RowReader> Query(std::string_view) override { std::abort(); }
  std::unique_ptr<RowReader> RunQuery(std::string_view) override { std::abort(); }
  void ExecuteOnce(std::string_view text) override {
    statements.emplace_back(text);
    if (statements.size() == failAt) throw RecordedFailure("recorded failure");
  }
  bool EndOpenTransaction(bool) override { return false; }
  std::size_t failAt;
  std::vector<std::string> statements;
};

/// Runs `runner(path, database)` on the script, written to a file, with a database that fails at
/// statement `failAt`, and returns the statements sent: none after the failing one, whose failure
/// leaves the runner exactly when it `rethrows`. Unless `once`, the script with CR LF line ends
/// and a byte-order mark must give the same.
template <typename Runner>
std::vector<std::string> RunScript(std::string_view script, std::size_t failAt, bool rethrows,
                                   const Runner& runner, bool once = false) {
  RecordingDatabase database(failAt);
  bool escaped = false;
  try {
    runner(kScratch.WriteFile("script.sql", script).string(), database);
  } catch (const RecordedFailure&) {
    escaped = true;
  }
  const std::size_t sent = database.statements.size();
  FUZZ_CHECK((failAt == 0 || sent <= failAt) && escaped == (rethrows && failAt && sent == failAt));
  const std::string_view body = script.substr(script.starts_with("\xEF\xBB\xBF") ? 3 : 0);
  const std::string variant = "\xEF\xBB\xBF" + Replaced(Replaced(body, "\r\n", "\n"), "\n", "\r\n");
  FUZZ_CHECK(once || RunScript(variant, failAt, rethrows, runner, true) == database.statements);
  return database.statements;
}
