#include "settings/registry_string.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";

class QueryRegistryStringTest : public ::testing::Test {
 protected:
  /// Opens kKey of a registry file whose section holds the given lines.
  RegistryKey OpenKeyWith(const std::string& lines) {
    const auto file = folder_.WriteFile("registry.ini", "[" + std::string(kKey) + "]\n" + lines);
    variable_.emplace("HALVIK_REGISTRY_FILE", file.string());
    std::optional<RegistryKey> key = OpenRegistryKey(kKey);
    if (!key) throw std::runtime_error("the test key did not open");
    return std::move(*key);
  }

 private:
  TempDir folder_;
  std::optional<ScopedEnvironment> variable_;
};

TEST_F(QueryRegistryStringTest, ReadsTheValue) {
  const RegistryKey key = OpenKeyWith("1=Tarnwell PG\n");
  std::string value = "previous";
  EXPECT_EQ(QueryRegistryString(key, "1", value, " "), 0);
  EXPECT_EQ(value, "Tarnwell PG");
}

TEST_F(QueryRegistryStringTest, ReadsAnEmptyValue) {
  const RegistryKey key = OpenKeyWith("1=\n");
  std::string value = "previous";
  EXPECT_EQ(QueryRegistryString(key, "1", value, " "), 0);
  EXPECT_EQ(value, "");
}

TEST_F(QueryRegistryStringTest, StopsAtTheFirstNulByte) {
  const RegistryKey key = OpenKeyWith(std::string("1=Tarnwell\0PG\n", 14));
  std::string value;
  EXPECT_EQ(QueryRegistryString(key, "1", value, " "), 0);
  EXPECT_EQ(value, "Tarnwell");
}

TEST_F(QueryRegistryStringTest, LeavesTheDefaultForAMissingValue) {
  const RegistryKey key = OpenKeyWith("2=Tarnwell PG\n");
  std::string value = "previous";
  EXPECT_EQ(QueryRegistryString(key, "1", value, "bad bad"), kRegistryValueNotFound);
  EXPECT_EQ(value, "bad bad");
}

TEST_F(QueryRegistryStringTest, LeavesTheDefaultForAValueTooLong) {
  const RegistryKey key = OpenKeyWith("1=" + std::string(512, 'd') + "\n");
  std::string value = "previous";
  EXPECT_EQ(QueryRegistryString(key, "1", value, " "), kRegistryMoreData);
  EXPECT_EQ(value, " ");
}

}  // namespace
