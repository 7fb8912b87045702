// The product settings store of this platform: sections of the file named by HALVIK_REGISTRY_FILE.

#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";

/// A registry file with the given content, named by HALVIK_REGISTRY_FILE for the scope.
class RegistryFile {
 public:
  explicit RegistryFile(const std::string& content)
      : file_(folder_.WriteFile("registry.ini", content)),
        variable_("HALVIK_REGISTRY_FILE", file_.string()) {}

 private:
  TempDir folder_;
  std::filesystem::path file_;
  ScopedEnvironment variable_;
};

std::string ProductKeyWith(const std::string& lines) {
  return "[" + std::string(kKey) + "]\n" + lines;
}

TEST(RegistryFileTest, OpensTheSectionOfTheKey) {
  const RegistryFile file("; product settings\r\n[Other]\r\n1=Other DSN\r\n" +
                          ProductKeyWith("1 = Tarnwell PG\r\n"));
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key.has_value());
  std::string data = "unchanged";
  EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistrySuccess);
  EXPECT_EQ(data, "Tarnwell PG");
}

TEST(RegistryFileTest, CannotOpenAKeyWithoutSection) {
  const RegistryFile file("[Other]\n1=Tarnwell PG\n");
  EXPECT_FALSE(OpenRegistryKey(kKey).has_value());
}

TEST(RegistryFileTest, CannotOpenAKeyWithoutFile) {
  const TempDir folder;
  const ScopedEnvironment variable("HALVIK_REGISTRY_FILE", (folder.path() / "none.ini").string());
  EXPECT_FALSE(OpenRegistryKey(kKey).has_value());
}

TEST(RegistryFileTest, CannotOpenAKeyInAFolder) {
  const TempDir folder;
  const ScopedEnvironment variable("HALVIK_REGISTRY_FILE", folder.path().string());
  EXPECT_FALSE(OpenRegistryKey(kKey).has_value());
}

TEST(RegistryFileTest, ReportsAMissingValue) {
  const RegistryFile file(ProductKeyWith("2=Tarnwell PG\n"));
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key.has_value());
  std::string data = "unchanged";
  EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistryValueNotFound);
  EXPECT_EQ(data, "unchanged");
}

TEST(RegistryFileTest, ReadsAValueOf511Bytes) {
  const std::string value(511, 'd');
  const RegistryFile file(ProductKeyWith("1=" + value + "\n"));
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key.has_value());
  std::string data;
  EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistrySuccess);
  EXPECT_EQ(data, value);
}

TEST(RegistryFileTest, CountsOnlyTheTextBetweenQuotes) {
  const std::string value(511, 'd');
  const RegistryFile file(ProductKeyWith("1=\"" + value + "\"\n"));
  const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
  ASSERT_TRUE(key.has_value());
  std::string data;
  EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistrySuccess);
  EXPECT_EQ(data, value);
}

TEST(RegistryFileTest, RefusesValuesOf512BytesOrMore) {
  for (const std::size_t length : {512, 513, 2000}) {
    SCOPED_TRACE(length);
    const RegistryFile file(ProductKeyWith("1=" + std::string(length, 'd') + "\n"));
    const std::optional<RegistryKey> key = OpenRegistryKey(kKey);
    ASSERT_TRUE(key.has_value());
    std::string data = "unchanged";
    EXPECT_EQ(QueryRegistryValue(*key, "1", data), kRegistryMoreData);
    EXPECT_EQ(data, "unchanged");
  }
}

}  // namespace
