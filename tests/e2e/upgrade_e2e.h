#pragma once
// What the end-to-end tests of the upgrade run share: the fixture script folders, the stand-in
// liftaide and its record, and the expected order of the catalogue's scripts.

#include <filesystem>
#include <string>
#include <vector>

#include "db/db_type.h"
#include "e2e/e2e_fixture.h"

namespace upgrade_e2e {

/// tests/fixtures/upgrade.
const std::filesystem::path& FixtureFolder();

/// The catalogue entries ("kind:file") of one step, before liftaide or after it.
std::vector<std::string> StepEntries(int baseVersion, DbType dbType, bool buildToBuild,
                                     bool afterLaunch);

/// The file name of an entry.
std::string FileOf(const std::string& entry);

/// The path of an entry's file as the run prints it: ".\<step folder>\<kind folder>\<file>".
std::string PrintedPath(int baseVersion, const std::string& kindFolder, const std::string& entry);

/// The lines of standard output that begin with the prefix, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix);

/// The line that follows "Calling liftaide with the following command line:", for each launch.
std::vector<std::string> LaunchLines(const std::vector<std::string>& lines);

/// The masked command line for a step, as the run prints it.
std::string MaskedLaunchLine(int baseVersion, const std::string& dsn, const std::string& user);

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts);

/// The three lines the statement runner prints for one statement of one line.
std::vector<std::string> Trace(const std::string& statement);

/// The statement runner's lines of the schema reset.
std::vector<std::string> ResetLines();

/// An upgrade end-to-end test: the working folder holds the fixture scripts and the stand-in
/// liftaide, which records its arguments in a file of the test's temporary folder.
class UpgradeTest : public E2eTest {
 protected:
  /// Copies the stand-in liftaide into the working folder and points its record at a file.
  void InstallLiftaide();

  /// Copies a fixture folder (relative to FixtureFolder()) into the working folder, over what is
  /// there already.
  void InstallScripts(const std::string& fixture);

  /// The lines that the stand-in recorded, one per launch.
  std::vector<std::string> LiftaideRecord();

  /// The argument line that the stand-in records for a launch on the test bed's DSN and user.
  std::string RecordedLaunch(int baseVersion);

  std::filesystem::path RecordPath() { return temp().path() / "liftaide-record.txt"; }
};

}  // namespace upgrade_e2e
