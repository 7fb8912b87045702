#include "e2e/upgrade_e2e.h"

#include <fstream>
#include <iostream>

#include "driver/base64.h"
#include "scripts/script_catalogue.h"

namespace upgrade_e2e {

const std::filesystem::path& FixtureFolder() {
  static const std::filesystem::path folder =
      std::filesystem::path(SCHEMALIFT_SOURCE_DIR) / "tests" / "fixtures" / "upgrade";
  return folder;
}

std::vector<std::string> StepEntries(int baseVersion, DbType dbType, bool buildToBuild,
                                     bool afterLaunch) {
  if (!buildToBuild) return GetScripts(baseVersion, dbType, afterLaunch);
  // The lookup writes its base-version line; keep it out of the test's own output.
  std::streambuf* const saved = std::cout.rdbuf(nullptr);
  std::vector<std::string> entries = GetBuildToBuildScripts(baseVersion, dbType, afterLaunch);
  std::cout.rdbuf(saved);
  std::cout.clear();
  return entries;
}

std::string FileOf(const std::string& entry) {
  return entry.substr(entry.find(':') + 1);
}

std::string PrintedPath(int baseVersion, const std::string& kindFolder, const std::string& entry) {
  const std::string folder = GetScriptFolder(baseVersion, DbType::mssql);
  const std::string stepFolder = folder.substr(0, folder.find('\\'));
  return ".\\" + stepFolder + "\\" + kindFolder + "\\" + FileOf(entry);
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.starts_with(prefix)) found.push_back(line);
  }
  return found;
}

std::vector<std::string> LaunchLines(const std::vector<std::string>& lines) {
  std::vector<std::string> found;
  for (std::size_t index = 0; index + 1 < lines.size(); ++index) {
    if (lines[index] == "Calling liftaide with the following command line:") {
      found.push_back(lines[index + 1]);
    }
  }
  return found;
}

std::string MaskedLaunchLine(int baseVersion, const std::string& dsn, const std::string& user) {
  std::string line =
      ".\\liftaide " + std::to_string(baseVersion) + " \"" + Base64Encode(dsn) + "\"";
  if (!user.empty()) line += " \"" + Base64Encode(user) + "\" \"*****\"";
  return line;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> Trace(const std::string& statement) {
  return {"{TS} - Executing: ", statement, "{TS} - Done."};
}

std::vector<std::string> ResetLines() {
  return Concat({Trace("DELETE FROM TWX_TABLE"), Trace("DELETE FROM TWX_INDEX_COLUMN"),
                 Trace("DELETE FROM TWX_SCHEMA_HASH")});
}

void UpgradeTest::InstallLiftaide() {
#ifdef LIFTAIDE_STANDIN
  const std::filesystem::path target = workDir() / "liftaide";
  std::filesystem::copy_file(LIFTAIDE_STANDIN, target,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(target, std::filesystem::perms::owner_all);
  runOptions().environment["LIFTAIDE_RECORD"] = RecordPath().string();
#else
  FAIL() << "the stand-in liftaide is not built";
#endif
}

void UpgradeTest::InstallScripts(const std::string& fixture) {
  std::filesystem::copy(
      FixtureFolder() / fixture, workDir(),
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

std::vector<std::string> UpgradeTest::LiftaideRecord() {
  std::vector<std::string> lines;
  std::ifstream record(RecordPath());
  for (std::string line; std::getline(record, line);) lines.push_back(line);
  return lines;
}

std::string UpgradeTest::RecordedLaunch(int baseVersion) {
  const Testbed& testbed = Testbed::Get();
  return "[" + std::to_string(baseVersion) + "] [" + Base64Encode(kTestDsn) + "] [" +
         Base64Encode(testbed.appUser) + "] [" + Base64Encode(testbed.appPassword) + "]";
}

}  // namespace upgrade_e2e
