// Where a run takes its data source name from when the command line gives none: the server's
// twxd.cfg, then the product settings file; and how a failure to find it ends the run.
#ifdef SCRIPTED_DRIVER_LIBRARY

#include <gtest/gtest.h>

#include "e2e/scripted_e2e.h"
#include "support/output_match.h"

namespace scripted_e2e {
namespace {

constexpr const char* kProductKey = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB";
constexpr const char* kOuterError = "ERROR: An application exception occured: ";

class SettingsDiscoveryTest : public ScriptedE2eTest {
 protected:
  /// An Oracle data source of the scripted driver that answers the schema-hash reset.
  void AddOracleDsn(const std::string& dsn) {
    AddScriptedDsn(scripted_odbc::kOracleDriver, ResetRules(), dsn);
  }

  void WriteConfig(const std::string& text) { temp().WriteFile("cfg/halvik-twx/twxd.cfg", text); }

  void WriteSettingsFile(const std::string& text) { temp().WriteFile("registry.ini", text); }

  /// A settings file whose product section holds the given entries.
  void WriteProductSettings(const std::string& entries) {
    WriteSettingsFile("[" + std::string(kProductKey) + "]\n" + entries);
  }

  /// An upgrade without -d (and without -u, so the user is "tw").
  ProgramRun RunWithoutDsn() { return RunSchemalift({"-t", "oracle", "-y", "-b", "655"}); }

  /// Standard output of a run that found `dsn` and upgraded through it.
  static std::vector<std::string> UpgradeLines(const std::string& dsn) {
    return Concat({SettingsLines("oracle", "tw", dsn, "655"),
                   {"Connected to database. DSN='" + dsn + "' user='tw'"},
                   ResetTrace(),
                   {"Exiting. Status=0"}});
  }

  /// The journal's connect line, for the data source that was reached.
  std::string ConnectedDsn() {
    for (const scripted_odbc::JournalEvent& event : Journal()) {
      if (event.event == "CONNECT") return event.detail;
    }
    return "(no connect)";
  }

  /// A run that ended at the outer error level before anything was printed but the option lines.
  void ExpectOuterError(const ProgramRun& run, const std::string& text) {
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_LINES(run.OutLines(),
                 {"Parsing command line arguments...", "Command line arguments parsed."});
    EXPECT_LINES(run.ErrLines(), {kOuterError + text});
    EXPECT_FALSE(JournalExists()) << "a connection was attempted";
  }
};

TEST_F(SettingsDiscoveryTest, TheConfigurationFileNamesTheDsn) {
  AddOracleDsn("TWDB cfg");
  AddOracleDsn("TWDB settings");
  WriteConfig("<config>\n  <vpxd>\n    <dsn>TWDB cfg</dsn>\n  </vpxd>\n</config>\n");
  WriteProductSettings("1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB cfg"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ConnectedDsn(), "dsn=TWDB cfg user=tw");
}

TEST_F(SettingsDiscoveryTest, TheFirstDsnElementOfTheConfigurationFileCounts) {
  AddOracleDsn("first");
  WriteConfig("<dsn>first</dsn><dsn>second</dsn>");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("first"));
}

TEST_F(SettingsDiscoveryTest, BlanksAroundTheNameInTheConfigurationFileAreKept) {
  WriteConfig("<dsn> TWDB cfg </dsn>\n");
  WriteProductSettings("1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  // The driver manager knows no data source of that name: the blanks went as far as the connect.
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines("oracle", "tw", " TWDB cfg ", "655"));
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN=' TWDB cfg ' user='tw'",
                "1 [IM002](0) [unixODBC][Driver Manager]Data source name not found and no default "
                "driver specified"});
}

TEST_F(SettingsDiscoveryTest, AConfigurationFileWithCrLfLineEndsIsRead) {
  AddOracleDsn("TWDB cfg");
  WriteConfig("<config>\r\n  <dsn>TWDB cfg</dsn>\r\n</config>\r\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB cfg"));
}

TEST_F(SettingsDiscoveryTest, BackslashesInTheConfigurationFolderBecomeSlashes) {
  AddOracleDsn("TWDB cfg");
  temp().WriteFile("config folder/halvik-twx/twxd.cfg", "<dsn>TWDB cfg</dsn>");
  runOptions().environment["HALVIK_CFG_DIR"] = temp().path().string() + "\\config folder\\";
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB cfg"));
}

TEST_F(SettingsDiscoveryTest, AnEmptyConfigurationFolderVariableNamesNoReadableFile) {
  // The path becomes "\halvik-twx\twxd.cfg", a file that does not exist.
  AddOracleDsn("TWDB settings");
  WriteConfig("<dsn>TWDB cfg</dsn>");
  WriteProductSettings("1=TWDB settings\n");
  runOptions().environment["HALVIK_CFG_DIR"] = "";
  ASSERT_FALSE(std::filesystem::exists("/halvik-twx/twxd.cfg"));
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
}

TEST_F(SettingsDiscoveryTest, WithoutTheConfigurationFolderVariableTheSettingsFileIsRead) {
  AddOracleDsn("TWDB settings");
  WriteConfig("<dsn>TWDB cfg</dsn>");
  WriteProductSettings("1=TWDB settings\n");
  runOptions().environment["HALVIK_CFG_DIR"] = std::nullopt;
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
}

TEST_F(SettingsDiscoveryTest, AnEmptyDsnElementFallsThroughToTheSettingsFile) {
  AddOracleDsn("TWDB settings");
  WriteConfig("<config><dsn></dsn></config>\n");
  WriteProductSettings("1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
  EXPECT_EQ(ConnectedDsn(), "dsn=TWDB settings user=tw");
}

TEST_F(SettingsDiscoveryTest, ADsnElementWithoutEndMarkerFallsThroughToTheSettingsFile) {
  AddOracleDsn("TWDB settings");
  AddOracleDsn("TWDB cfg");
  WriteConfig("<config><dsn>TWDB cfg\n</config>\n");
  WriteProductSettings("1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
}

TEST_F(SettingsDiscoveryTest, AnEndMarkerBeforeTheStartMarkerDoesNotCount) {
  AddOracleDsn("TWDB cfg");
  WriteConfig("</dsn>\n<dsn>TWDB cfg</dsn>\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB cfg"));
}

TEST_F(SettingsDiscoveryTest, AStartMarkerWithOnlyAnEndMarkerBeforeItFallsThrough) {
  AddOracleDsn("TWDB settings");
  WriteConfig("</dsn>TWDB cfg<dsn>");
  WriteProductSettings("1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
}

TEST_F(SettingsDiscoveryTest, WithoutConfigurationFileTheSettingsFileNamesTheDsn) {
  AddOracleDsn("TWDB settings");
  WriteProductSettings("0=other\n1=TWDB settings\n2=more\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("TWDB settings"));
  EXPECT_EQ(ConnectedDsn(), "dsn=TWDB settings user=tw");
}

TEST_F(SettingsDiscoveryTest, AnEmptySettingsValueGivesTheDefaultDsn) {
  AddOracleDsn("Halvik Tarnwell");
  WriteProductSettings("1=\n");
  const ProgramRun run = RunWithoutDsn();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.OutLines(), UpgradeLines("Halvik Tarnwell"));
  EXPECT_EQ(ConnectedDsn(), "dsn=Halvik Tarnwell user=tw");
}

TEST_F(SettingsDiscoveryTest, AMissingSettingsFileEndsTheRunAtTheOuterErrorLevel) {
  AddOracleDsn("Halvik Tarnwell");
  const ProgramRun run = RunWithoutDsn();
  ExpectOuterError(
      run, std::string("Error occured while reading settings from registry key ") + kProductKey);
}

TEST_F(SettingsDiscoveryTest, ASettingsFileWithoutTheProductSectionEndsTheRun) {
  AddOracleDsn("TWDB settings");
  WriteSettingsFile("[SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell]\n1=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  ExpectOuterError(
      run, std::string("Error occured while reading settings from registry key ") + kProductKey);
}

TEST_F(SettingsDiscoveryTest, AProductSectionWithoutTheDsnValueEndsTheRun) {
  AddOracleDsn("TWDB settings");
  WriteProductSettings("2=TWDB settings\n");
  const ProgramRun run = RunWithoutDsn();
  ExpectOuterError(
      run, std::string("Error occured while reading settings. The data was expected in key:") +
               kProductKey);
}

TEST_F(SettingsDiscoveryTest, ADsnValueOfOneBlankCountsAsUnread) {
  WriteProductSettings("1=\" \"\n");
  const ProgramRun run = RunWithoutDsn();
  ExpectOuterError(
      run, std::string("Error occured while reading settings. The data was expected in key:") +
               kProductKey);
}

TEST_F(SettingsDiscoveryTest, ADsnValueOf511CharactersFits) {
  const std::string dsn = Repeat('d', 511);
  WriteProductSettings("1=" + dsn + "\n");
  const ProgramRun run = RunWithoutDsn();
  // Read whole: the run gets as far as connecting, where the driver manager refuses a data
  // source name of that length.
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_LINES(run.OutLines(), SettingsLines("oracle", "tw", dsn, "655"));
  EXPECT_LINES(run.ErrLines(),
               {"Cannot connect to database. DSN='" + dsn + "' user='tw'",
                "1 [HY090](0) [unixODBC][Driver Manager]Invalid string or buffer length"});
}

TEST_F(SettingsDiscoveryTest, ADsnValueOf512CharactersDoesNotFitAndEndsTheRun) {
  WriteProductSettings("1=" + Repeat('d', 512) + "\n");
  const ProgramRun run = RunWithoutDsn();
  ExpectOuterError(
      run, std::string("Error occured while reading settings. The data was expected in key:") +
               kProductKey);
}

TEST_F(SettingsDiscoveryTest, ADsnThatIsNotAmongTheDataSourcesEndsTheRun) {
  AddOracleDsn("TWDB scripted");
  const ProgramRun run = RunSchemalift({"-d", B64("No Such Source"), "-y", "-b", "655"});
  ExpectOuterError(run,
                   "Error occured while reading settings for data source No Such Source from "
                   "registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data "
                   "Sources, registry value name:No Such Source");
}

TEST_F(SettingsDiscoveryTest, ADsnFromTheSettingsFileIsLookedUpAmongTheDataSources) {
  AddOracleDsn("TWDB scripted");
  WriteProductSettings("1=TWDB gone\n");
  const ProgramRun run = RunSchemalift({"-y", "-b", "655"});
  ExpectOuterError(run,
                   "Error occured while reading settings for data source TWDB gone from "
                   "registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data "
                   "Sources, registry value name:TWDB gone");
}

TEST_F(SettingsDiscoveryTest, AUserDataSourceIsNotAmongTheSystemDataSources) {
  AddOracleDsn("TWDB scripted");
  temp().WriteFile("odbc/user-odbc.ini", "[TWDB user]\nDriver=SQL Server\n");
  const ProgramRun run = RunSchemalift({"-d", B64("TWDB user"), "-y", "-b", "655"});
  ExpectOuterError(run,
                   "Error occured while reading settings for data source TWDB user from "
                   "registry. The data was expected in key:SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data "
                   "Sources, registry value name:TWDB user");
}

TEST_F(SettingsDiscoveryTest, WithoutADataSourceListTheDriverLookupEndsTheRun) {
  // An ODBC configuration folder without odbc.ini: the machine has no data source list.
  const std::filesystem::path emptyOdbcFolder = temp().path() / "no-odbc";
  std::filesystem::create_directories(emptyOdbcFolder);
  runOptions().environment["ODBCSYSINI"] = emptyOdbcFolder.string();
  const ProgramRun run = RunSchemalift({"-d", B64("TWDB scripted"), "-y", "-b", "655"});
  ExpectOuterError(run,
                   "Error occured while reading settings from registry key "
                   "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources");
  EXPECT_FALSE(std::filesystem::exists(emptyOdbcFolder / "odbc.ini"))
      << "the lookup created a settings file";
}

}  // namespace
}  // namespace scripted_e2e

#endif  // SCRIPTED_DRIVER_LIBRARY
