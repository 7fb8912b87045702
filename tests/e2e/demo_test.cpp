// The demo (demo/) as demo/run-demo.sh runs it: its sample TWDB, script set and liftaide, through
// a validation from 550, the upgrade from 550 and two build-to-build upgrades.
#include "e2e/e2e_fixture.h"
#include "validation/findings_store.h"

namespace {

using DemoTest = E2eTest;

TEST_F(DemoTest, ValidatesUpgradesAndUpgradesBuildToBuild) {
  Query(ReadWholeFile(SCHEMALIFT_SOURCE_DIR "/demo/twdb/twdb_550_PostgreSQL.sql"));
  std::filesystem::copy(SCHEMALIFT_SOURCE_DIR "/demo/scripts", workDir(),
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy_file(DEMO_LIFTAIDE, workDir() / "liftaide");
  // The inventory checks report on standard error (each check's rows in the database's order),
  // the validation scripts in the warnings file; a warnings file that cannot be written fails.
  temp().WriteFile("work/Upgrade-v2013-to-v2015/postgresql/validate_PostgreSQL.sql",
                   "DELETE FROM TWX_PREUPGRADE_VERIFICATION\n/\nINSERT INTO "
                   "TWX_PREUPGRADE_VERIFICATION VALUES ('first'), (NULL), ('last')\n/\n");
  ProgramRun run = Run({"-b", "550", "-v", "warnings.txt"});
  // clang-format off
  const Lines findings = {
    "WARNING: pylon-version -> 5.1.0 host IP: 10.20.11.14", "Switch-Storage",
    "WARNING: pylon-version -> 5.5.0 host IP: 10.20.11.13", "Prod-Cluster-A",
    "billing-db-01:/storage/gold-lun-01/billing-db-01.cfg", "ERROR: duplicate-names: ",
    "{HostProfile: Branch-Office-Profile, Version: 5.5.0}", "ERROR: legacy-ft-vms: ",
    "ERROR: invalid-hostprofile-version -> 1", "ERROR: invalid-hostprofile-version-count -> 1",
    "{DVSwitch: Switch-Legacy, Version: 5.1.0}", "ERROR: wrong-cluster-count",
    "ERROR: invalid-dvs-version", "ERROR: wrong-host-version-count -> 2"};
  // clang-format on
  EXPECT_TRUE(std::ranges::is_permutation(run.ErrLines(), findings)) << run.err;
  EXPECT_EQ(ReadWholeFile(workDir() / "warnings.txt"), "first\n\nlast\n");
  EXPECT_EQ(LinesMatching(run.OutLines(), "Exiting.*"), Lines{"Exiting. Status=0"});
  run = Run({"-b", "550", "-v", "/dev/full"});
  EXPECT_EQ(run.ErrLines().front(),
            "ERROR: Cannot write the warnings output file '/dev/full'. "
            "Reason: No space left on device");
  EXPECT_EQ(LinesMatching(run.OutLines(), "Exiting.*"), Lines{"Exiting. Status=1"});
  // A finding of 2500 bytes fills the reader's buffer with its zero byte; a longer one ends the
  // copy with the buffer's report.
  std::ofstream(workDir() / "Upgrade-v2013-to-v2015/postgresql/validate_PostgreSQL.sql")
      << "ALTER TABLE TWX_PREUPGRADE_VERIFICATION ALTER INCONSISTENCIE TYPE text\n/\nINSERT INTO "
         "TWX_PREUPGRADE_VERIFICATION VALUES (repeat('f', 2500)), (repeat('f', 2501))\n/\n";
  run = Run({"-b", "550", "-v", "long.txt"});
  EXPECT_EQ(ReadWholeFile(workDir() / "long.txt"), std::string(2500, 'f') + "\n");
  const std::string tooLong =
      "Error storing '" + std::string(kFindingsQuery) +
      "' into file. Reason: The operation required too much data to be stored in the specified "
      "buffer.";
  EXPECT_EQ(std::ranges::count(run.ErrLines(), tooLong), 1);
  // The upgrade from 550: each step's folder, the launch of liftaide and what liftaide tells it
  // got, the step's folder again for the scripts after liftaide.
  run = Run({"-b", "550"});
  EXPECT_EQ(run.err, "");
  Lines outline;
  for (const std::string step : {"550 2013-to-v2015", "600 2015-to-v2016", "650 2016-to-v2017"}) {
    const std::string path = "path : '.\\Upgrade-v" + step.substr(4) + "\\postgresql\\'",
                      v = step.substr(0, 3);
    outline.insert(outline.end(),
                   {path, ".\\liftaide " + v + " \"VFdEQiB0ZXN0\" \"dHc=\" \"*****\"",
                    "liftaide: step " + v +
                        ": DSN 'TWDB test', user 'tw', password given (not logged) - done.",
                    path});
  }
  EXPECT_EQ(LinesMatching(run.OutLines(), R"(path : .*|\.\\liftaide .*|liftaide: .*|Exiting.*)"),
            Concat({outline, {"Exiting. Status=0"}}));
  // A build-to-build upgrade (-s after -v) records the last tag that it passed, <5592/>, which
  // ends both tag files; the next one starts after it.
  EXPECT_EQ(Run({"-b", "600", "-v", "warnings.txt", "-s", "any"}).exitStatus, 0);
  run = Run({"-b", "600", "-s", "any"});
  const Lines resumed = {"Patch version: '5592'",  "Found tag <5592/> at line 18",
                         "Starting from line: 19", "Found tag <5592/> at line 44",
                         "Starting from line: 45", "Exiting. Status=0"};
  EXPECT_EQ(LinesMatching(run.OutLines(), "Patch version.*|Found tag.*|Starting from.*|Exiting.*"),
            resumed);
}

}  // namespace
