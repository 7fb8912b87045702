// The reader of the server configuration file twxd.cfg: the DSN between "<dsn>" and "</dsn>". The
// input is the file, read through the configuration folder of HALVIK_CFG_DIR; the product settings
// file does not exist, so that a file without a DSN ends in the settings error.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "settings/config_dsn.h"
#include "settings/dsn_setting.h"

namespace {

constexpr std::string_view kStart = "<dsn>";
constexpr std::string_view kEnd = "</dsn>";

std::filesystem::path ConfigFile() {
  return FuzzScratchFolder() / "halvik-twx" / "twxd.cfg";
}

/// What ExtractConfigDsn gives, checked against the markers around it.
void CheckExtract(std::string_view text) {
  const std::string dsn = ExtractConfigDsn(text);
  const std::size_t start = text.find(kStart);
  if (start == std::string_view::npos) {
    FUZZ_CHECK(dsn.empty());
    return;
  }
  const std::size_t valueStart = start + kStart.size();
  if (text.find(kEnd, valueStart) == std::string_view::npos) {
    FUZZ_CHECK(dsn.empty());
    return;
  }
  // The value follows the first start marker and is followed by the first end marker after it.
  FUZZ_CHECK(text.substr(valueStart, dsn.size()) == dsn);
  FUZZ_CHECK(text.substr(valueStart + dsn.size(), kEnd.size()) == kEnd);
  FUZZ_CHECK((dsn + std::string(kEnd)).find(kEnd) == dsn.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InitializeFuzzTarget();
  const std::filesystem::path folder = FuzzScratchFolder();
  std::filesystem::create_directories(folder / "halvik-twx");
  ::setenv("HALVIK_CFG_DIR", folder.c_str(), 1);
  ::setenv("HALVIK_REGISTRY_FILE", (folder / "no-registry.ini").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = AsText(data, size);
  CheckExtract(text);

  static const std::filesystem::path file = ConfigFile();
  WriteBytes(file, text);
  // The file is read with CR LF line ends as LF.
  const std::string expected = ExtractConfigDsn(WithoutCrBeforeLf(text));
  // A path printed with backslashes is opened all the same.
  std::string printedPath = file.string();
  for (char& character : printedPath) {
    if (character == '/') character = '\\';
  }
  FUZZ_CHECK(ReadConfigDsn(printedPath) == expected);

  FUZZ_CHECK(GetConfigFilePath() == FuzzScratchFolder().string() + "\\halvik-twx\\twxd.cfg");
  try {
    const std::string dsn = ReadDsnSetting();
    FUZZ_CHECK(!expected.empty() && dsn == expected);
  } catch (const std::runtime_error&) {
    // Without a DSN in the file, the missing settings file is the error.
    FUZZ_CHECK(expected.empty());
  }
  return 0;
}
