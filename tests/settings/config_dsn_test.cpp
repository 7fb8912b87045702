#include "settings/config_dsn.h"

#include <gtest/gtest.h>

#include "settings/config_file_path.h"
#include "settings/scoped_environment.h"
#include "support/temp_dir.h"

namespace {

TEST(ExtractConfigDsnTest, TakesTheTextBetweenTheMarkers) {
  EXPECT_EQ(ExtractConfigDsn("<config>\n  <dsn>Tarnwell PG</dsn>\n</config>\n"), "Tarnwell PG");
}

TEST(ExtractConfigDsnTest, KeepsBlanksAroundTheName) {
  EXPECT_EQ(ExtractConfigDsn("<dsn> Tarnwell PG </dsn>"), " Tarnwell PG ");
}

TEST(ExtractConfigDsnTest, KeepsLineBreaksAndEntitiesInside) {
  EXPECT_EQ(ExtractConfigDsn("<dsn>\nTarnwell\r\nPG &amp; more\n</dsn>"),
            "\nTarnwell\r\nPG &amp; more\n");
}

TEST(ExtractConfigDsnTest, GivesNothingForAnEmptyElement) {
  EXPECT_EQ(ExtractConfigDsn("<dsn></dsn>"), "");
}

TEST(ExtractConfigDsnTest, GivesNothingWithoutTheEndMarker) {
  EXPECT_EQ(ExtractConfigDsn("<dsn>Tarnwell PG"), "");
  EXPECT_EQ(ExtractConfigDsn("<dsn>Tarnwell PG</dsn"), "");
}

TEST(ExtractConfigDsnTest, GivesNothingWithoutTheStartMarker) {
  EXPECT_EQ(ExtractConfigDsn("Tarnwell PG</dsn>"), "");
  EXPECT_EQ(ExtractConfigDsn("<DSN>Tarnwell PG</DSN>"), "");
  EXPECT_EQ(ExtractConfigDsn(""), "");
}

TEST(ExtractConfigDsnTest, TakesTheFirstStartAndTheFirstEndAfterIt) {
  EXPECT_EQ(ExtractConfigDsn("</dsn><dsn>First</dsn><dsn>Second</dsn>"), "First");
  EXPECT_EQ(ExtractConfigDsn("<dsn>First<dsn>Second</dsn>"), "First<dsn>Second");
}

TEST(ReadConfigDsnTest, ReadsTheFileBelowTheConfiguredFolder) {
  const TempDir folder;
  folder.WriteFile("halvik-twx/twxd.cfg", "<config>\n<dsn>Tarnwell PG</dsn>\n</config>\n");
  const ScopedEnvironment configFolder("HALVIK_CFG_DIR", folder.path().string());
  EXPECT_EQ(ReadConfigDsn(ComputeConfigFilePath()), "Tarnwell PG");
}

TEST(ReadConfigDsnTest, ReadsCrLfLineEndsAsLf) {
  const TempDir folder;
  const auto file = folder.WriteFile(
      "twxd.cfg", "<config>\r\n<dsn>\r\nTarnwell\r\nPG\r\n</dsn>\r\n</config>\r\n");
  EXPECT_EQ(ReadConfigDsn(file.string()), "\nTarnwell\nPG\n");
}

TEST(ReadConfigDsnTest, KeepsACarriageReturnThatNoLineFeedFollows) {
  const TempDir folder;
  const auto file = folder.WriteFile("twxd.cfg", "<dsn>Tarnwell\rPG\r</dsn>\r");
  EXPECT_EQ(ReadConfigDsn(file.string()), "Tarnwell\rPG\r");
}

TEST(ReadConfigDsnTest, GivesNothingForAMissingFile) {
  const TempDir folder;
  EXPECT_EQ(ReadConfigDsn((folder.path() / "twxd.cfg").string()), "");
}

TEST(ReadConfigDsnTest, GivesNothingForAFolder) {
  const TempDir folder;
  EXPECT_EQ(ReadConfigDsn(folder.path().string()), "");
}

}  // namespace
