// The Windows seams, against the real registry, environment, files and command processor (under
// Wine in the tests).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

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
  const auto set = [&](const char* name, DWORD type, const std::string& data) {
    RegSetValueExA(created, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
  };
  set("1", REG_SZ, std::string("Grüße\0", 8));
  set("fits", REG_BINARY, std::string(511, 'x') + '\0');
  set("long", REG_SZ, std::string(512, 'x') + '\0');
  set("dword", REG_DWORD, std::string("\x07\0\0\0", 4));
  RegCloseKey(created);
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key);
  std::string data = "kept";
  EXPECT_EQ(QueryRegistryValue(*key, "absent", data), kRegistryValueNotFound);
  EXPECT_EQ(QueryRegistryValue(*key, "long", data), kRegistryMoreData);
  EXPECT_EQ(data, "kept");
  EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistrySuccess);
  EXPECT_EQ(data, std::string("Grüße\0", 8));
  EXPECT_EQ(QueryRegistryValue(*key, "fits", data), kRegistrySuccess);
  EXPECT_EQ(data.size(), 512u);
  EXPECT_EQ(QueryRegistryValue(*key, "dword", data), kRegistrySuccess);
  EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
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
