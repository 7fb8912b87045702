// The server configuration file twxd.cfg: the DSN is the text between the first "<dsn>" and the
// first "</dsn>" after it. The input is the file, which ReadDsnSetting finds through
// HALVIK_CFG_DIR (at a path with backslashes) and reads with CR LF as LF; without a DSN in it, it
// fails over to the settings file, which names "fallback".
#include "fuzz_support.h"
#include "settings/config_file.h"
#include "settings/dsn_setting.h"

FUZZ_TARGET(text) {
  static const std::string settings = kScratch.WriteFile(
      "registry.ini", "[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]\n1=fallback\n");
  const std::size_t start = std::min(text.find("<dsn>"), text.size()) + 5;
  const std::size_t end = text.find("</dsn>", start);
  FUZZ_CHECK(ExtractConfigDsn(text) == (end == text.npos ? "" : text.substr(start, end - start)));
  const std::string dsn = ExtractConfigDsn(Replaced(text, "\r\n", "\n"));
  kScratch.WriteFile("halvik-twx/twxd.cfg", text);
  FUZZ_CHECK(ReadDsnSetting() == (dsn.empty() ? "fallback" : dsn));
}
