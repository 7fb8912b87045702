// The validation run, the findings store and the inventory and host checks against the fake
// database.
#include <gtest/gtest.h>

#include <sstream>

#include "server/recovery_mode_guard.h"
#include "server/server_checks.h"
#include "support/console_capture.h"
#include "support/fake_database.h"
#include "support/temp_dir.h"
#include "validation/host_checks.h"
#include "validation/host_profile_checks.h"
#include "validation/inventory_checks.h"
#include "validation/nolock_variant.h"
#include "validation/validation_run.h"

namespace {

using Calls = std::vector<std::string>;

// The checks that follow RunDBValidate in a validation run, in their order; their results as the
// digits of one number.
int RunInventoryChecks(Database& database, DbType dbType, std::int32_t sourceVersion) {
  int result = CheckClusterHostCount(database, dbType);
  result = result * 10 + CheckStoragePodDatastoreCount(database, dbType);
  result = result * 10 + CheckDistributedSwitches(database);
  result = result * 10 + CheckHostProfileVersions(database, "6.0.0");
  result = result * 10 + CheckDuplicatePortGroupNames(database, dbType);
  result = result * 10 + ValidateHostVersions(database, "6.0.0", dbType);
  return result * 10 + CheckLegacyFaultToleranceVms(database, dbType, sourceVersion);
}

// The queries in the order of the checks, in their SQL Server form for source version 550.
// clang-format off
const std::string_view kQueries[] = {kClusterHostCountQuery, kStoragePodDatastoreCountQuery,
    kSwitchVendorQuery, kSwitchVersionQuery, kHostProfilesQuery, kDuplicatePortGroupNamesQuery,
    kHostsQuery, kRecordReplayVmsQuery};
const std::pair<DbType, int> kOtherRuns[] = {{DbType::mssql, 551}, {DbType::mssql, 599},
    {DbType::postgresql, 600}, {DbType::oracle, 650}};
// clang-format on

TEST(InventoryChecksTest, SendTheQueriesOfTheKindAndSourceVersion) {
  // Every kind but SQL Server gets the queries without their NOLOCK hints; only source version
  // 550 reads the record/replay flag.
  for (const auto& [dbType, version] : kOtherRuns) {
    FakeDatabase database;
    Captured([&] { RunInventoryChecks(database, dbType, version); });
    Calls expected;
    for (const std::string_view query : kQueries) {
      const auto typed = query == kRecordReplayVmsQuery ? kRecordReplayTypeVmsQuery : query;
      expected.push_back("run: " +
                         (dbType == DbType::mssql ? std::string(typed) : RemoveNolockHints(typed)));
    }
    EXPECT_EQ(database.sent, expected) << dbType;
  }
  EXPECT_EQ(RemoveNolockHints("a WITH (NOLOCK) b WITH (NOLOCK) WITH(NOLOCK)"), "a b WITH(NOLOCK)");
}

TEST(InventoryChecksTest, WriteEachFindingUnderItsHeaderAndGoOnAfterAFailure) {
  const Calls sql(std::begin(kQueries), std::end(kQueries));
  const auto unit = [](FakeDatabase& fake) { return RunInventoryChecks(fake, DbType::mssql, 550); };
  // The answers to the queries in their order, the queries that the row expects by position, and
  // what the host check writes between its two lines on standard output.
  const auto row = [&](const char* name, int result, const std::string& queries,
                       const std::string& hosts, const std::string& err, const auto&... tables) {
    FakeCase made(name, unit, {}, result, "",
                  "Validating PYLON hosts versions...\n" + hosts + "Validation completed.\n", err);
    std::size_t query = 0;
    for (const std::string& table : std::initializer_list<std::string>{tables...}) {
      made.answers.emplace_back(sql.at(query++), Rows(table));
    }
    for (const char call : queries) made.sent.push_back("run: " + sql[call - '0']);
    return made;
  };
  const auto failed = [&](int query, const std::string& reason) {
    return "Error executing '" + sql[query] + "'. Reason: " + reason + "\n";
  };
  const auto profiles = [](const std::string& count, const std::string& lines) {
    return "ERROR: invalid-hostprofile-version -> " + count + "\n" + lines +
           "ERROR: invalid-hostprofile-version-count -> " + count + "\n";
  };
  const std::string name(2500, 'n'), path(512, 'p'), tag = "<profileVersion>";
  RunFakeCases({
      row("no finding", 0, "01234567", "", ""),
      row("a finding of each", 1111111, "01234567", "",
          "ERROR: wrong-cluster-count\nc1\nc2\nERROR: wrong-storagepod-count\n" + name +
              "\nERROR: invalid-dvs-version\n{DVSwitch: s, Version: 5.1.0.999}\n" +
              failed(3, kBufferOverflowText) +
              profiles("4", "{HostProfile: a, Version: 10.0.}\n{HostProfile: b, Version: " +
                                std::string("6.0\0\0", 5) + "}\n{HostProfile: d, Version: 0}\n") +
              "ERROR: duplicate-names: \ng\nWARNING: pylon-version -> 5.9.99 host IP: a\nWARNING: "
              "pylon-version ->  host IP: e\nERROR: wrong-host-version-count -> 2\nERROR: "
              "legacy-ft-vms: \nvm:" +
              path + "\n",
          "c1; c2", name, "", "s|5.1.0.999; t|5.1.0.9999",
          "b|" + tag + "5.5.0</profileVersion>; a|" + tag + "10.0.0; c|" + tag + "6.0.0" + tag +
              "5.0.0; b|" + tag + "6.0; d|<profile>6.0.0",
          "g", "5.9.99|a; 6|b; 6.0.0|c; 10.0.0|d; NULL|e", "vm|" + path),
      row("failures after some lines", 1111111, "0124567", "failed.\n",
          "ERROR: wrong-cluster-count\nc1\n" + failed(0, kBufferOverflowText) + failed(1, "boom") +
              "ERROR: invalid-dvs-vendor\n{DVSwitch: s, Vendor: Other}\n" + failed(4, "boom") +
              "ERROR: duplicate-names: \ng\n" + failed(5, "Cannot fetch the result(rc=-1).") +
              "Error executing statement '" + sql[6] + "', reason: boom\nERROR: legacy-ft-vms: \n" +
              failed(7, kBufferOverflowText),
          "c1;" + name + "n", "!boom", "s|Other", "t|5.1.0", "!boom", "g; !", "!boom",
          "vm|" + path + "p"),
      row("one below, vendor query fails", 11010, "0124567", "",
          failed(2, "boom") + profiles("1", "{HostProfile: a, Version: 5.5.0}\n") +
              "WARNING: pylon-version -> 5.5.0 host IP: a\nERROR: wrong-host-version-count -> 1\n",
          "", "", "!boom", "t|5.1.0", "a|" + tag + "5.5.0", "", "5.5.0|a; 6.0.0.1|b"),
  });
}

// A run of RunDBValidate in the working folder with the options -e and -m given as "e" and "m",
// whose transcript holds the lines expected on standard output and the calls expected as lines
// "> <call>". The servers pass unless the row answers otherwise.
FakeCase Validation(const char* name, const std::string& options, const std::string& query,
                    const std::string& answer, const std::string& transcript, int result,
                    const std::string& err = "", const std::string& file = "w.txt",
                    const std::string& thrown = "", DbType dbType = DbType::mssql,
                    std::int32_t sourceVersion = 550) {
  const auto unit = [=](FakeDatabase& fake) {
    fake.Reply(kValidationQuery, Rows("0|x"));
    fake.Reply(kOracleVersionQuery, Rows("0|x"));
    fake.Reply(query, Rows(answer));
    RecoveryModeGuard guard(fake, DbType::oracle, false);
    return RunDBValidate(fake, dbType, sourceVersion, options.find('e') != options.npos,
                         options.find('m') != options.npos, file, guard);
  };
  FakeCase made(name, unit, {}, result, thrown, "", err);
  std::istringstream lines(transcript);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("> ")) made.sent.push_back(line.substr(2));
    if (!line.starts_with("> ")) made.out += line + "\n";
  }
  return made;
}

TEST(ValidationRunTest, RunsTheStagesInOrderUntilOneFailsThenStoresTheFindings) {
  // Each script holds its own name as its one statement.
  const WorkingFolder folder;
  const std::string step = "Upgrade-v2013-to-v2015/mssql/validate_";
  const std::string permissions = "_permissions_check.sql";
  for (const std::string& script : {"mssql" + permissions, "oracle" + permissions,
                                    step + "schema_mssql.sql", step + "mssql.sql"}) {
    folder.WriteFile(script, std::filesystem::path(script).filename().string());
  }
  const std::string findings(kFindingsQuery);
  // What each stage writes on standard output, with the calls that it sends as lines "> <call>":
  // the SQL Server version, permissions and jobs checks, the refusal of the server, the Oracle
  // version and permissions checks, the SQL Server scripts and the findings.
  const std::string completed = "\nValidation completed.\n";
  const std::string scripts = "** .\\Upgrade-v2013-to-v2015\\mssql\\validate_";
  const auto batch = [&](const std::string& kind) {
    return "** .\\" + kind + permissions + " **\nCommand: " + kind + permissions +
           "\n> query: " + kind + permissions + "\n";
  };
  const std::string version =
      "Validating MSSQL version...\nExecuted: " + std::string(kValidationQuery) + completed +
      "> once: " + kCreateValidationFunction + "\n> query: " + kValidationQuery +
      "\n> once: " + kDropValidationFunction + "\n";
  const std::string jobs = "Validating MSSQL jobs...\nExecuted: " + std::string(kJobsQuery) +
                           completed + "> query: " + kJobsQuery + "\n";
  const std::string oracle = "Validating Oracle version..." + completed +
                             "> run: " + kOracleVersionQuery + "\n" + batch("oracle");
  const std::string stored = scripts + "schema_mssql.sql **\nExecuting SQL commands:\n" + scripts +
                             "mssql.sql **\nExecuting SQL commands:\n> once: "
                             "validate_schema_mssql.sql\n> once: validate_mssql.sql\n> query: " +
                             findings + "\n> once: " + std::string(kDropFindingsTable) + "\n";
  const std::string missing = "Cannot open block command script file '.\\Upgrade-v2015-to-v2016\\";
  const std::string finding(2500, 'f');
  folder.WriteFile("sub/w.txt", "an earlier, longer content\n");
  RunFakeCases({
      Validation("scripts only", "", "", "", stored, 0),
      Validation("every stage", "e", "", "", version + batch("mssql") + jobs + stored, 0),
      Validation("server checks left out", "em", "", "", batch("mssql") + stored, 0),
      Validation("server refused", "e", kValidationQuery, "1|old",
                 version + "Not supported source RDBMS version\n", 1,
                 "ERROR: wrong-version MSSQL -> old\n"),
      Validation("permissions missing", "e", "mssql" + permissions, "p1; p2",
                 version + batch("mssql"), 1, "ERROR: insufficient-permissions\np1\np2\n"),
      Validation("Oracle has no jobs stage", "e", "", "", oracle, 0, "", "w.txt",
                 missing + "oracle\\validate_schema_oracle.sql'.", DbType::oracle, 600),
      Validation("PostgreSQL has no permissions stage", "e", "", "", "", 0, "", "w.txt",
                 missing + "postgresql\\validate_schema_PostgreSQL.sql'.", DbType::postgresql, 600),
      Validation("findings in order until one is too long", "", findings,
                 "a; NULL;" + finding + ";" + finding + "f", stored, 1,
                 "Error storing '" + findings + "' into file. Reason: " + kBufferOverflowText + "\n",
                 "sub\\w.txt"),
      Validation("no warnings file", "", "", "", stored, kWarningsFileNotWritten,
                 "ERROR: Cannot open the warnings output file 'none/w.txt'. Reason: No such file "
                 "or directory\n",
                 "none/w.txt"),
  });
  EXPECT_EQ(ReadWholeFile(folder.path() / "sub/w.txt"), "a\n\n" + finding + "\n");
}

}  // namespace
