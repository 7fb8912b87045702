// ReadDsnSetting keeps the configuration path of its first use for the process, so each case runs
// in a fresh process.

#include "settings/dsn_setting.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/fresh_process.h"
#include "settings/outcome_text.h"
#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kRegistryWithDsn =
    "[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB]\n1=Registry DSN\n";

/// A configuration folder and a registry file, both named by their variables for the scope.
class Settings {
 public:
  Settings(const std::optional<std::string>& config, const std::optional<std::string>& registry)
      : configFolder_("HALVIK_CFG_DIR", folder_.path().string() + "/cfg"),
        registryFile_("HALVIK_REGISTRY_FILE", (folder_.path() / "registry.ini").string()) {
    if (config) folder_.WriteFile("cfg/halvik-twx/twxd.cfg", *config);
    if (registry) folder_.WriteFile("registry.ini", *registry);
  }

 private:
  TempDir folder_;
  ScopedEnvironment configFolder_;
  ScopedEnvironment registryFile_;
};

TEST(ReadDsnSettingTest, TakesTheConfigurationFileFirst) {
  ExpectInFreshProcess([] {
    const Settings settings("<twxd>\r\n<dsn> Config DSN </dsn>\r\n</twxd>\r\n", std::nullopt);
    return DescribeMismatch(" Config DSN ", ResultOrError(ReadDsnSetting));
  });
}

TEST(ReadDsnSettingTest, FallsBackToTheRegistryForAnEmptyElement) {
  ExpectInFreshProcess([] {
    const Settings settings("<dsn></dsn>", kRegistryWithDsn);
    return DescribeMismatch("Registry DSN", ResultOrError(ReadDsnSetting));
  });
}

TEST(ReadDsnSettingTest, FallsBackToTheRegistryWithoutAnEndMarker) {
  ExpectInFreshProcess([] {
    const Settings settings("<dsn>Config DSN\n", kRegistryWithDsn);
    return DescribeMismatch("Registry DSN", ResultOrError(ReadDsnSetting));
  });
}

TEST(ReadDsnSettingTest, FallsBackToTheRegistryWithoutAConfigurationFile) {
  ExpectInFreshProcess([] {
    const Settings settings(std::nullopt, kRegistryWithDsn);
    return DescribeMismatch("Registry DSN", ResultOrError(ReadDsnSetting));
  });
}

TEST(ReadDsnSettingTest, FailsWhenNeitherStoreHasTheDsn) {
  ExpectInFreshProcess([] {
    const Settings settings(std::nullopt, std::nullopt);
    return DescribeMismatch(
        "runtime_error: Error occured while reading settings from registry key "
        "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB",
        ResultOrError(ReadDsnSetting));
  });
}

TEST(ReadDsnSettingTest, KeepsReadingTheConfigurationFileOfItsFirstUse) {
  ExpectInFreshProcess([] {
    const Settings first("<dsn>First DSN</dsn>", std::nullopt);
    const std::string firstDsn = ResultOrError(ReadDsnSetting);
    const Settings second("<dsn>Second DSN</dsn>", std::nullopt);
    return DescribeMismatch("First DSN", firstDsn) +
           DescribeMismatch("First DSN", ResultOrError(ReadDsnSetting));
  });
}

}  // namespace
