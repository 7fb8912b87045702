#include "scripts/upgrade_run.h"

#include <numeric>

#include "support/console_capture.h"
#include "scripts/script_catalogue.h"

constexpr DbType kPg = DbType::postgresql, kOra = DbType::oracle, kMs = DbType::mssql;

/// A letter per entry, from the sum of its bytes: the first letter that differs tells the entry
/// that was renamed, moved or given to another runner.
std::string Digest(const std::vector<std::string>& list) {
  std::string letters;
  for (const std::string& entry : list) {
    letters += static_cast<char>('a' + std::accumulate(entry.begin(), entry.end(), 0) % 24);
  }
  return letters;
}

/// What the catalogue gives: F the folder, S the lists before and after liftaide (as digests), B
/// the build-to-build list before liftaide.
std::string Catalogue(char call, int base, DbType dbType) {
  if (call == 'F') return GetScriptFolder(base, dbType);
  if (call == 'B') return Digest(GetBuildToBuildScripts(base, dbType, false));
  return Digest(GetScripts(base, dbType, false)) + "/" + Digest(GetScripts(base, dbType, true));
}

// The call; the folder, the lists or the failure, after the line that B writes first. The upgrade
// run below pins the first and the last entries of the PostgreSQL lists.
const std::string kB = " GetBuildToBuildScripts  base ver  : '";
const std::tuple<char, int, DbType, std::string> kCatalogue[] = {
    {'F', 550, kPg, "Upgrade-v2013-to-v2015\\postgresql"},
    {'F', 600, kMs, "Upgrade-v2015-to-v2016\\mssql"},
    {'F', 650, kOra, "Upgrade-v2016-to-v2017\\oracle"},
    {'F', 650, DbType::db2, "GetScriptFolder() Invalid DB type."},
    {'S', 650, kPg, "wqpqrstpcdefgvwxtdjwxabstuvlmnoumkpae/u"},
    {'S', 650, kMs, "kedefghopqrsdopqhuvklmnghijxabcnfdimv/i"},
    {'S', 600, kOra, "i/g"},
    {'B', 650, kOra, kB + "650'\nxcbcdefbmnopqhijfntijklefghvwxagwubko"},
    {'B', 600, kMs, kB + "600'\nb"},
    {'B', 550, kPg, kB + "550'\nGetBuildToBuildScripts() Invalid base version."},
};

TEST(ScriptCatalogueTest, NamesTheFoldersAndListsOfEachStep) {
  for (const auto& [call, base, dbType, expected] : kCatalogue) {
    EXPECT_EQ(Result([&] { return Catalogue(call, base, dbType); }), expected);
  }
}

/// Records each launch among the database's calls: "L" and each argument followed by ",".
struct RecordingLauncher final : LiftaideLauncher {
  RecordingLauncher(FakeDatabase& database, int status) : database(database), status(status) {}
  int Launch(const std::vector<std::string>& arguments) override {
    database.sent.emplace_back("L");
    for (const std::string& argument : arguments) database.sent.back() += argument + ",";
    return status;
  }
  FakeDatabase& database;
  int status;
};

/// The PostgreSQL scripts: each runs "<step>/<name>" for the names that the runs below expect
/// (the tag file after the tag "<t/>"); the other entries of a step's first list hold "/\n;",
/// which runs "/" as a command file, ";" as a block file, itself as a batch file, nothing as a
/// procedure file.
void WriteScripts(const TempDir& folder) {
  for (const int base : {550, 600, 650}) {
    std::string dir = GetScriptFolder(base, kPg) + "/", step = std::to_string(base) + "/";
    dir[dir.find('\\')] = '/';
    for (const std::string& e : GetScripts(base, kPg, false)) {
      folder.WriteFile(dir + e.substr(e.find(':') + 1), "/\n;");
    }
    for (const std::string name : {"upgrade", "orm", "job_dbm_performance_data"}) {
      folder.WriteFile(dir + name + "_PostgreSQL.sql", step + name);
    }
    folder.WriteFile(dir + "b2b_PostgreSQL.sql", "<t/>\n" + step + "b2b");
  }
}

const std::string kReset =
    "DELETE FROM TWX_TABLE|DELETE FROM TWX_INDEX_COLUMN|DELETE FROM TWX_SCHEMA_HASH|";
const std::string kDsn = "d", kPassword = "pw!", kL = ",ZA==,dQ==,cHch,|";  // "d", "u", "pw!"
const std::string kMasked = "line:\n.\\liftaide 650 \"ZA==\" \"dQ==\" \"*****\"\n";
const std::string kEnd600 = kReset + "L600" + kL + "600/orm|", k600 = "600/upgrade|" + kEnd600;
const std::string kMid = "/|/\n;|/\n;|/\n;|/\n;|/\n;|/\n;|/\n;|/\n;|650/job_dbm_performance_data|";
const std::string kEnd650 = kMid + kReset + "L650" + kL + "650/orm|";
const std::string k650 = "650/upgrade|" + kEnd650;

// Source version, build tag, ORM object count, user name, liftaide's status; the calls, then the
// status returned: 1 after an error on standard error.
const std::tuple<int, std::string, std::string, std::string, int, std::string, std::string>
    kRuns[] = {
        {550, "", "0", "u", 0, "550/upgrade|" + kReset + "L550" + kL + k600 + k650, ""},
        {551, "", "", "u", 0, k600 + k650, ""},
        {600, "", "", "u", 0, k600 + k650, ""},
        {601, "", "", "u", 0, k650, ""},
        {650, "", "", "u", 0, k650, ""},
        {659, "", "", "u", 0, "", ""},
        {549, "", "", "u", 0, "", "ERROR: Incorrect Database Version: 549\n"},
        {600, "t", "1", "u", 0, "600/b2b|" + kEnd600 + "650/b2b|" + kEnd650, ""},
        {600, "t", "0", "u", 0, "600/b2b|650/b2b|" + kMid, ""},
        {550, "", "", "", 3, "550/upgrade|" + kReset + "L550,ZA==,|",
         "ERROR: liftaide failed: 3\n"},
};

TEST(UpgradeRunTest, RunsTheStepsFromTheSourceVersion) {
  const WorkingFolder folder;
  WriteScripts(folder);
  for (const auto& [source, tag, ormObjects, user, liftaideStatus, sequence, err] : kRuns) {
    FakeDatabase database;
    RecordingLauncher launcher(database, liftaideStatus);
    const Console console = Captured([&] {
      const UpgradeRequest request{kPg, source, kDsn, user, kPassword, tag, ormObjects};
      database.sent.push_back("=" + std::to_string(RunUpgrade(database, launcher, request)));
    });
    EXPECT_EQ(Joined(database.sent), sequence + (err.empty() ? "=0|" : "=1|"));
    EXPECT_EQ(console.err + console.thrown, err);
    EXPECT_EQ(console.out.find("cHch"), std::string::npos);
    EXPECT_EQ(console.out.find(kMasked) == std::string::npos,
              sequence.find("L650" + kL) == std::string::npos);
  }
}
