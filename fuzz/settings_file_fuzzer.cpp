// The product settings file (INI sections named after registry keys). The first byte chooses
// whether the section to find is named by the next line or is the product settings key; the rest
// is the file. A section is found exactly when a header line names it. ReadRegistryDsn gives
// value "1" of the product section up to a zero byte, the default DSN for an empty one, and fails
// (" " below) without one, for one of 512 bytes or more, and for " ".
#include "fuzz_support.h"
#include "platform/ini_file.h"
#include "settings/dsn_setting.h"

FUZZ_TARGET(text) {
  const std::string key = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
  const bool named = (TakeFirstByte(text) & 1) != 0;
  const std::string name(named ? text.substr(0, text.find('\n')) : key);
  text.remove_prefix(named ? std::min(text.size(), name.size() + 1) : 0);
  const auto isHeader = [&](const std::string& line) { return Trimmed(line) == "[" + name + "]"; };
  FUZZ_CHECK(FindIniSection(text, name).has_value() ==
             std::ranges::any_of(Split(text, '\n'), isHeader));
  const std::optional<IniSection> product = FindIniSection(Replaced(text, "\r\n", "\n"), key);
  const std::string value = product && product->contains("1") ? product->at("1") : " ";
  const std::string dsn = value.size() < 512 ? value.substr(0, value.find('\0')) : " ";
  kScratch.WriteFile("registry.ini", text);
  std::string read = " ";
  try { read = ReadRegistryDsn(); } catch (const std::runtime_error&) {}  // stays " "
  FUZZ_CHECK(read == (dsn.empty() ? kDefaultDsn : dsn));
}
