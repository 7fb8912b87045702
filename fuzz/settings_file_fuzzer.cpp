// The reader of the product settings file (INI sections named after registry keys) and the DSN
// that it gives. The first input byte chooses whether the section to find is named by the next
// input line or is the product settings key; the rest is the file.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "platform/ini_file.h"
#include "settings/registry_dsn.h"

namespace {

constexpr std::string_view kProductKey = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
constexpr std::string_view kIniBlanks = " \t\r\v\f";
constexpr std::size_t kValueBufferSize = 512;

std::string_view TrimIniBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kIniBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kIniBlanks) - first + 1);
}

bool HasHeaderLine(std::string_view text, std::string_view sectionName) {
  const std::string header = "[" + std::string(sectionName) + "]";
  for (const std::string_view line : SplitAtLineFeedsView(text)) {
    if (TrimIniBlanks(line) == header) return true;
  }
  return false;
}

void CheckSection(std::string_view text, std::string_view sectionName) {
  const std::optional<IniSection> section = FindIniSection(text, sectionName);
  FUZZ_CHECK(section.has_value() == HasHeaderLine(text, sectionName));
  if (!section) return;
  FUZZ_CHECK(section->size() <= SplitAtLineFeedsView(text).size());
  for (const auto& [name, value] : *section) {
    FUZZ_CHECK(name.find_first_of("=\n") == std::string::npos);
    FUZZ_CHECK(TrimIniBlanks(name) == name);
    FUZZ_CHECK(value.find('\n') == std::string::npos);
  }
  if (text.find('\r') == std::string_view::npos) {
    FUZZ_CHECK(FindIniSection(WithCrLfLineEnds(text), sectionName) == section);
  }
}

/// The DSN that ReadRegistryDsn gives for the file, worked out on its sections; no value for the
/// settings error.
std::optional<std::string> ExpectedRegistryDsn(std::string_view file) {
  const std::optional<IniSection> section = FindIniSection(WithoutCrBeforeLf(file), kProductKey);
  if (!section) return std::nullopt;
  const auto entry = section->find("1");
  if (entry == section->end() || entry->second.size() >= kValueBufferSize) return std::nullopt;
  const std::string value = entry->second.substr(0, entry->second.find('\0'));
  if (value == " ") return std::nullopt;
  if (value.empty()) return "Halvik Tarnwell";
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  ::setenv("HALVIK_REGISTRY_FILE", (FuzzScratchFolder() / "registry.ini").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view text = AsText(data + 1, size - 1);
  std::string_view sectionName = kProductKey;
  if ((data[0] & 1u) != 0) {
    const std::size_t end = text.find('\n');
    sectionName = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  CheckSection(text, sectionName);

  static const std::filesystem::path file = FuzzScratchFolder() / "registry.ini";
  WriteBytes(file, text);
  const std::optional<std::string> expected = ExpectedRegistryDsn(text);
  try {
    const std::string dsn = ReadRegistryDsn();
    FUZZ_CHECK(expected.has_value() && dsn == *expected);
  } catch (const std::runtime_error&) {
    FUZZ_CHECK(!expected.has_value());
  }
  return 0;
}
