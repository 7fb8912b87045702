// The Windows seams, against the real registry, environment, files and command processor (under
// Wine in the tests).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

#include "platform/environment.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text_file.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\schemalift seam test";

TEST(WindowsSeamTest, ProcessRunsInTheUtf8CodePage) { EXPECT_EQ(GetACP(), UINT{CP_UTF8}); }

TEST(WindowsSeamTest, RegistryValuesAreReadIntoFiveHundredTwelveBytes) {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created,
                            nullptr), ERROR_SUCCESS);
  // A value (none for "absent") of a type, what the query returns and the data it leaves.
  const std::string fits = std::string(511, 'x') + '\0', dword("\x07\0\0\0", 4);
  const std::tuple<const char*, DWORD, std::string, long, std::string> rows[] = {
      {"absent", REG_NONE, "", kRegistryValueNotFound, "kept"},
      {"long", REG_SZ, std::string(512, 'x') + '\0', kRegistryMoreData, "kept"},
      {"1", REG_SZ, std::string("Grüße\0", 8), kRegistrySuccess, std::string("Grüße\0", 8)},
      {"fits", REG_BINARY, fits, kRegistrySuccess, fits},
      {"dword", REG_DWORD, dword, kRegistrySuccess, dword}};
  for (const auto& [name, type, value, status, data] : rows) {
    if (type == REG_NONE) continue;
    RegSetValueExA(created, name, 0, type, reinterpret_cast<const BYTE*>(value.data()),
                   static_cast<DWORD>(value.size()));
  }
  RegCloseKey(created);
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key);
  for (const auto& [name, type, value, status, data] : rows) {
    std::string read = "kept";
    EXPECT_EQ(QueryRegistryValue(*key, name, read), status) << name;
    EXPECT_EQ(read, data) << name;
  }
  EXPECT_FALSE(OpenRegistryKey(std::string(kKey) + "\\absent"));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
}

TEST(WindowsSeamTest, EnvironmentTellsAnEmptyVariableFromAMissingOne) {
  SetEnvironmentVariableA("SCHEMALIFT_SEAM", "");
  EXPECT_EQ(ReadEnvironmentVariable("SCHEMALIFT_SEAM"), "");
  SetEnvironmentVariableA("SCHEMALIFT_SEAM", (std::string(300, 'v') + "ü").c_str());
  EXPECT_EQ(ReadEnvironmentVariable("SCHEMALIFT_SEAM"), std::string(300, 'v') + "ü");
  SetEnvironmentVariableA("SCHEMALIFT_SEAM", nullptr);
  EXPECT_EQ(ReadEnvironmentVariable("SCHEMALIFT_SEAM"), std::nullopt);
}

TEST(WindowsSeamTest, TextFileIsReadInTextModeWhileAnotherHandleWritesIt) {
  const TempDir folder;
  const std::string path = folder.WriteFile("twxd.cfg", "a\r\nb\rc\r\n\x1a" "after").string();
  const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadTextFile(path), "a\nb\rc\n");
  CloseHandle(writer);
  EXPECT_EQ(ReadTextFile(folder.path().string()), std::nullopt);
  EXPECT_TRUE(IsRegularFile(path));
  EXPECT_FALSE(IsRegularFile(folder.path().string()));
  EXPECT_FALSE(IsRegularFile("NUL"));
}

TEST(WindowsSeamTest, CommandProcessorRunsTheCommandLineAndReturnsTheStatus) {
  const TempDir folder;
  folder.WriteFile("liftaide.bat", "@echo %*> args.txt\r\n@exit /b 7\r\n");
  SetCurrentDirectoryA(folder.path().string().c_str());
  EXPECT_EQ(RunProcess("./liftaide", {"550", "RFNO", "dQ=="}), 7);
  EXPECT_EQ(ReadWholeFile(folder.path() / "args.txt"), "550 \"RFNO\" \"dQ==\"\r\n");
  EXPECT_EQ(RunProcess("./absent", {}), 9009);
  SetCurrentDirectoryA(folder.path().parent_path().string().c_str());
}

}  // namespace
