#include "settings/registry_dsn.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/outcome_text.h"
#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKeyError =
    "runtime_error: Error occured while reading settings from registry key "
    "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
constexpr const char* kValueError =
    "runtime_error: Error occured while reading settings. The data was expected in "
    "key:SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";

class ReadRegistryDsnTest : public ::testing::Test {
 protected:
  /// ReadRegistryDsn's result, or its error, with a registry file of the given content.
  std::string ReadWithFile(const std::string& content) {
    const auto file = folder_.WriteFile("registry.ini", content);
    const ScopedEnvironment variable("HALVIK_REGISTRY_FILE", file.string());
    return ResultOrError(ReadRegistryDsn);
  }

  /// The same, with a file whose product settings key holds the given lines.
  std::string ReadWithEntries(const std::string& lines) {
    return ReadWithFile("[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]\n" + lines);
  }

 private:
  TempDir folder_;
};

TEST_F(ReadRegistryDsnTest, ReadsValueOne) {
  EXPECT_EQ(ReadWithEntries("0=Zero\n1=Tarnwell PG\n"), "Tarnwell PG");
}

TEST_F(ReadRegistryDsnTest, KeepsQuotedBlanks) {
  EXPECT_EQ(ReadWithEntries("1=\" Tarnwell PG \"\n"), " Tarnwell PG ");
}

TEST_F(ReadRegistryDsnTest, GivesTheProductNameForAnEmptyValue) {
  EXPECT_EQ(ReadWithEntries("1=\n"), "Halvik Tarnwell");
  EXPECT_EQ(ReadWithEntries("1=\"\"\n"), "Halvik Tarnwell");
}

TEST_F(ReadRegistryDsnTest, FailsForAMissingValue) {
  EXPECT_EQ(ReadWithEntries("2=Tarnwell PG\n; 1=Tarnwell PG\n"), kValueError);
}

TEST_F(ReadRegistryDsnTest, FailsForASingleBlank) {
  EXPECT_EQ(ReadWithEntries("1=\" \"\n"), kValueError);
}

TEST_F(ReadRegistryDsnTest, ReadsA511ByteValueAndFailsForLongerOnes) {
  EXPECT_EQ(ReadWithEntries("1=" + std::string(511, 'd') + "\n"), std::string(511, 'd'));
  EXPECT_EQ(ReadWithEntries("1=" + std::string(512, 'd') + "\n"), kValueError);
}

TEST_F(ReadRegistryDsnTest, FailsWithoutTheKey) {
  EXPECT_EQ(ReadWithFile("[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell]\n1=Tarnwell PG\n"), kKeyError);
  EXPECT_EQ(ReadWithFile(""), kKeyError);
}

TEST_F(ReadRegistryDsnTest, FailsWithoutTheFile) {
  const TempDir empty;
  const ScopedEnvironment variable("HALVIK_REGISTRY_FILE", (empty.path() / "none.ini").string());
  EXPECT_EQ(ResultOrError(ReadRegistryDsn), kKeyError);
}

}  // namespace
