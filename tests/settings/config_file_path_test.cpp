#include "settings/config_file_path.h"

#include <gtest/gtest.h>

#include "settings/dsn_setting.h"
#include "settings/fresh_process.h"
#include "settings/outcome_text.h"
#include "settings/scoped_environment.h"

namespace {

TEST(ComputeConfigFilePathTest, AppendsTheFileToTheConfiguredFolder) {
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", "/srv/cfg");
  EXPECT_EQ(ComputeConfigFilePath(), "/srv/cfg\\halvik-twx\\twxd.cfg");
}

TEST(ComputeConfigFilePathTest, KeepsTheFolderUnchanged) {
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", "D:\\cfg\\");
  EXPECT_EQ(ComputeConfigFilePath(), "D:\\cfg\\\\halvik-twx\\twxd.cfg");
}

TEST(ComputeConfigFilePathTest, UsesAnEmptyFolder) {
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", "");
  EXPECT_EQ(ComputeConfigFilePath(), "\\halvik-twx\\twxd.cfg");
}

TEST(ComputeConfigFilePathTest, FallsBackToTheSystemPathWithoutTheVariable) {
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", std::nullopt);
  EXPECT_EQ(ComputeConfigFilePath(), "/etc/halvik/tarnwell/twxd.cfg");
}

TEST(GetConfigFilePathTest, KeepsThePathOfItsFirstUse) {
  const std::string first = GetConfigFilePath();
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", "/elsewhere/" + first);
  EXPECT_EQ(GetConfigFilePath(), first);
}

TEST(GetConfigFilePathTest, ComputesThePathOnFirstUse) {
  ExpectInFreshProcess([] {
    const ScopedEnvironment configFolder("HALVIK_CFG_DIR", "/srv/cfg");
    const std::string first = GetConfigFilePath();
    const ScopedEnvironment unset("HALVIK_CFG_DIR", std::nullopt);
    return DescribeMismatch("/srv/cfg\\halvik-twx\\twxd.cfg", first) +
           DescribeMismatch(first, GetConfigFilePath());
  });
}

}  // namespace
