// The host and host-profile version checks of a validation run on PostgreSQL.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/validation_e2e.h"
#include "support/output_match.h"

namespace validation_e2e {
namespace {

using namespace std::string_literals;

class ValidationHostTest : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    UseInventoryDatabase();
    InstallScripts("seeded");
  }

  /// Inserts hosts one by one, so that they come back in this order.
  void AddHosts(const std::vector<std::pair<std::optional<std::string>, std::string>>& hosts) {
    std::string sql;
    for (const auto& [version, address] : hosts) {
      sql += "INSERT INTO TWX_HOST VALUES (" + (version ? "'" + *version + "'" : "NULL"s) + ", '" +
             address + "');";
    }
    UsePostgres().Execute(sql);
  }

  void AddProfile(const std::string& name, const std::string& config, int typeCode = 0) {
    UsePostgres().Execute("INSERT INTO TWX_PROFILE VALUES ('" + name + "', '" + config + "', " +
                          std::to_string(typeCode) + ")");
  }

  /// Standard output from the hosts check's first line to its last.
  static std::vector<std::string> HostCheckLines(const ProgramRun& run) {
    return LinesBetween(run.OutLines(), "Validating PYLON hosts versions...",
                        "Validation completed.");
  }
};

std::string ProfileConfig(const std::string& afterTag) {
  return "<profile><name>x</name><profileVersion>" + afterTag + "</profile>";
}

TEST_F(ValidationHostTest, HostsBelowTheMinimumAreWarnedAboutAndCounted) {
  AddHosts({{"5.5.0", "10.0.0.1"},
            {"6.0", "10.0.0.2"},
            {"6.0.0", "10.0.0.3"},
            {"6.5.0", "10.0.0.4"},
            {"10.0.0", "10.0.0.5"},
            {"", "10.0.0.6"},
            {std::nullopt, "10.0.0.7"},
            {"5.5.0 build-1331820", "10.0.0.8"}});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_LINES(run.ErrLines(), {"WARNING: pylon-version -> 5.5.0 host IP: 10.0.0.1",
                                "WARNING: pylon-version ->  host IP: 10.0.0.6",
                                "WARNING: pylon-version ->  host IP: 10.0.0.7",
                                "WARNING: pylon-version -> 5.5.0 build-1331820 host IP: 10.0.0.8",
                                "ERROR: wrong-host-version-count -> 4"});
  EXPECT_LINES(HostCheckLines(run), Concat({{"Validating PYLON hosts versions..."},
                                            Trace(kHostQuery),
                                            {"Validation completed."}}));
}

TEST_F(ValidationHostTest, OneOldHostAmongCurrentOnes) {
  AddHosts({{"5.5.0", "192.168.1.5"}, {"6.0.0", "192.168.1.6"}, {"6.5.0", "192.168.1.7"}});
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"WARNING: pylon-version -> 5.5.0 host IP: 192.168.1.5",
                                "ERROR: wrong-host-version-count -> 1"});
}

TEST_F(ValidationHostTest, CurrentHostsAreNoFinding) {
  AddHosts({{"6.0", "10.0.0.2"}, {"6.0.0", "10.0.0.3"}, {"10.0.0", "10.0.0.5"}});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.err, "");
  EXPECT_LINES(HostCheckLines(run), Concat({{"Validating PYLON hosts versions..."},
                                            Trace(kHostQuery),
                                            {"Validation completed."}}));
}

TEST_F(ValidationHostTest, AnOldHostsAddressIsReadOnlyForIt) {
  // The address of a current host is never read, so that even one too long for its buffer does
  // no harm; the old host's address is read and fits.
  AddHosts({{"6.5.0", Repeat('a', 300)}, {"5.0.0", Repeat('b', 255)}});
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"WARNING: pylon-version -> 5.0.0 host IP: " + Repeat('b', 255),
                                "ERROR: wrong-host-version-count -> 1"});
}

TEST_F(ValidationHostTest, AFailureOfTheHostsCheckPrintsFailedAndCompletesTheValidation) {
  AddHosts({{"5.5.0", "10.0.0.1"}, {"5.5.0", Repeat('c', 256)}, {"5.0.0", "10.0.0.3"}});
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(), {"WARNING: pylon-version -> 5.5.0 host IP: 10.0.0.1",
                                std::string("Error executing statement '") + kHostQuery +
                                    "', reason: " + kOverflowText});
  EXPECT_LINES(HostCheckLines(run),
               {"Validating PYLON hosts versions...", "{TS} - Executing: ", kHostQuery,
                "{TS} - Done.", "failed.", "Validation completed."});
  // The last check still runs.
  const std::vector<std::string> out = run.OutLines();
  EXPECT_NE(std::find(out.begin(), out.end(), kRecordReplayTypeQuery), out.end());
}

TEST_F(ValidationHostTest, ProfilesBelowTheMinimumAreListedByName) {
  AddProfile("p-550", ProfileConfig("5.5.0</profileVersion>"));
  AddProfile("p-600", ProfileConfig("6.0.0</profileVersion>"));
  AddProfile("p-1000", ProfileConfig("10.0.0</profileVersion>"));
  AddProfile("p-notag", "<profile><name>x</name></profile>");
  AddProfile("p-650", ProfileConfig("6.5.0</profileVersion>"));
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-hostprofile-version -> 3", "{HostProfile: p-1000, Version: 10.0.}",
                "{HostProfile: p-550, Version: 5.5.0}", "{HostProfile: p-notag, Version: 0}",
                "ERROR: invalid-hostprofile-version-count -> 3"});
}

TEST_F(ValidationHostTest, FewerThanFiveCharactersAfterTheTagGiveNulBytes) {
  AddProfile("p-short", "<profileVersion>6.0");
  AddProfile("p-empty", "<profileVersion>");
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"ERROR: invalid-hostprofile-version -> 2",
                                "{HostProfile: p-empty, Version: \0\0\0\0\0}"s,
                                "{HostProfile: p-short, Version: 6.0\0\0}"s,
                                "ERROR: invalid-hostprofile-version-count -> 2"});
}

TEST_F(ValidationHostTest, AShorterProfileAfterALongerOneSeesNothingOfIt) {
  // The configuration buffer is reused: the second row's version must not pick up the bytes that
  // the first row left behind its shorter text.
  AddProfile("p-long", "<profileVersion>6.5.0 and a long tail of text " + Repeat('t', 5000));
  AddProfile("p-short", "<profileVersion>5.5");
  AddProfile("p-null-config", "x");
  UsePostgres().Execute(
      "UPDATE TWX_PROFILE SET CONFIG_INFO = NULL WHERE PROFILE_NAME = "
      "'p-null-config'");
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"ERROR: invalid-hostprofile-version -> 2",
                                "{HostProfile: p-null-config, Version: 0}",
                                "{HostProfile: p-short, Version: 5.5\0\0}"s,
                                "ERROR: invalid-hostprofile-version-count -> 2"});
}

TEST_F(ValidationHostTest, DuplicateProfileNamesCountEachRowButListTheLastVersion) {
  AddProfile("p-dup", ProfileConfig("5.1.0"));
  AddProfile("p-dup", ProfileConfig("5.5.0"));
  AddProfile("p-dup", ProfileConfig("6.0.0"));
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-hostprofile-version -> 2", "{HostProfile: p-dup, Version: 5.5.0}",
                "ERROR: invalid-hostprofile-version-count -> 2"});
}

TEST_F(ValidationHostTest, ProfilesAreListedInNameOrderNotRowOrder) {
  AddProfile("b", ProfileConfig("5.5.0"));
  AddProfile("a", ProfileConfig("5.1.0"));
  AddProfile("B", ProfileConfig("4.0.0"));
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-hostprofile-version -> 3", "{HostProfile: B, Version: 4.0.0}",
                "{HostProfile: a, Version: 5.1.0}", "{HostProfile: b, Version: 5.5.0}",
                "ERROR: invalid-hostprofile-version-count -> 3"});
}

TEST_F(ValidationHostTest, OnlyHostProfilesOfTypeCodeZeroAreChecked) {
  AddProfile("p-other", ProfileConfig("5.5.0"), 1);
  AddProfile("p-current", ProfileConfig("6.0.0"));
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.err, "");
}

TEST_F(ValidationHostTest, AProfileNameTooLongForItsBufferFailsTheCheckWithoutFailedLine) {
  AddProfile("p-old", ProfileConfig("5.5.0"));
  AddProfile(Repeat('n', 512), ProfileConfig("5.5.0"));
  const ProgramRun run = RunValidation();
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_LINES(run.ErrLines(),
               {std::string("Error executing '") + kProfileQuery + "'. Reason: " + kOverflowText});
  const std::vector<std::string> out = run.OutLines();
  EXPECT_EQ(std::count(out.begin(), out.end(), "failed."), 0);
  EXPECT_NE(std::find(out.begin(), out.end(), kPortGroupQuery), out.end());
}

TEST_F(ValidationHostTest, AProfileNameOf511CharactersFits) {
  AddProfile(Repeat('n', 511), ProfileConfig("5.5.0"));
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(), {"ERROR: invalid-hostprofile-version -> 1",
                                "{HostProfile: " + Repeat('n', 511) + ", Version: 5.5.0}",
                                "ERROR: invalid-hostprofile-version-count -> 1"});
}

TEST_F(ValidationHostTest, ALargeConfigurationIsReadWhole) {
  // The tag far into a text of several megabytes is still found.
  UsePostgres().Execute(
      "INSERT INTO TWX_PROFILE VALUES ('p-big', repeat('x', 6000000) || "
      "'<profileVersion>5.5.0</profileVersion>', 0)");
  const ProgramRun run = RunValidation();
  EXPECT_LINES(run.ErrLines(),
               {"ERROR: invalid-hostprofile-version -> 1", "{HostProfile: p-big, Version: 5.5.0}",
                "ERROR: invalid-hostprofile-version-count -> 1"});
}

}  // namespace
}  // namespace validation_e2e
