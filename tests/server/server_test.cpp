// The recovery-model guard and the server checks against the fake database.
#include <gtest/gtest.h>

#include "server/recovery_mode_guard.h"
#include "server/server_checks.h"
#include "support/fake_database.h"

namespace {

// How the guard is used: in upgrade mode and released twice, or otherwise.
enum class Use { upgrade, otherKind, validation, destructorOnly };

// The database a]b, whose name holds a closing bracket, with the ALTER permission and the model
// FULL, except for the one answer changed; the guard used as told.
int UseGuard(FakeDatabase& database, Use use, const std::pair<std::string, std::string>& change) {
  database.Reply(kDatabaseNameQuery, Rows("a]b"));
  database.Reply(kAlterPermissionQuery, Rows("1"));
  database.Reply(kRecoveryModelQuery, Rows("FULL"));
  database.Reply(change.first, Rows(change.second));
  RecoveryModeGuard guard(database, use == Use::otherKind ? DbType::oracle : DbType::mssql,
                          use != Use::validation);
  for (int release = 0; release < 2 && use != Use::destructorOnly; ++release) guard.Release();
  return 0;
}

std::string Failed(const char* statement, const std::string& reason) {
  return "Error executing statement '" + std::string(statement) + "', reason: " + reason + "\n";
}

TEST(RecoveryModeGuardTest, SwitchesToSimpleWhenAllowedAndRestoresOnce) {
  // The statements sent, one letter each: name, permission, model, to simple, back to FULL.
  const std::string alter = "alter database [a]]b] set recovery ", letters = "NPMSF";
  const std::vector<std::string> statements = {
      "query: " + std::string(kDatabaseNameQuery), "query: " + std::string(kAlterPermissionQuery),
      "query: " + std::string(kRecoveryModelQuery), "once: " + alter + "simple",
      "once: " + alter + "FULL"};
  const auto row = [&](const char* name, const std::pair<std::string, std::string>& change,
                       const std::string& sent, const std::string& out, const std::string& err = "",
                       const std::string& thrown = "", Use use = Use::upgrade) {
    const auto unit = [=](FakeDatabase& fake) { return UseGuard(fake, use, change); };
    FakeCase made(name, unit, {}, 0, thrown, out, err);
    for (const char letter : sent) made.sent.push_back(statements.at(letters.find(letter)));
    return made;
  };
  const std::string full = "Original recovery mode is FULL\nExecuted query: " + alter + "simple\n";
  const std::string boom = Failed(kAlterPermissionQuery, "boom");
  RunFakeCases({
      row("not SQL Server", {}, "", "", "", "", Use::otherKind),
      row("switched, restored once", {}, "NPMSPF", full + "Executed query: " + alter + "FULL\n"),
      row("permission 0", {kAlterPermissionQuery, "0"}, "NPP", ""),
      row("permission 2", {kAlterPermissionQuery, "2"}, "NPP", ""),
      row("permission query fails", {kAlterPermissionQuery, "!boom"}, "NPP", "failed.\nfailed.\n",
          boom + boom),
      row("already simple", {kRecoveryModelQuery, "SIMPLE"}, "NPMP",
          "Original recovery mode is SIMPLE\n"),
      row("no model", {kRecoveryModelQuery, ""}, "NPMP", ""),
      row("switch refused", {alter + "simple", "!boom"}, "NPMSP",
          "Original recovery mode is FULL\nFailed to set [a]b] to simple recovery.\nboom\n"),
      row("validation mode", {}, "NPP", "", "", "", Use::validation),
      row("no name", {kDatabaseNameQuery, ""}, "N", "", "",
          "The operation cannot be performed because a database name was not specified."),
      row("restore fails", {alter + "FULL", "!boom"}, "NPMSPF", full, "", "boom"),
      row("restore fails at destruction", {alter + "FULL", "!boom"}, "NPMSPF", full,
          "ERROR: boom\n", "", Use::destructorOnly),
  });
}

// The three checks one after the other; their verdicts as the digits server, Oracle, jobs.
int RunServerChecks(FakeDatabase& database) {
  RecoveryModeGuard guard(database, DbType::oracle, false);
  int result = ValidateMssqlServer(guard) ? 100 : 0;
  result += ValidateOracleServer(database) ? 10 : 0;
  return result + (ValidateMssqlJobs(guard) ? 1 : 0);
}

TEST(ServerChecksTest, PassOnlyACleanServerAndReportTheFirstFinding) {
  const std::vector<std::string> sent = {
      "once: " + std::string(kCreateValidationFunction), "query: " + std::string(kValidationQuery),
      "once: " + std::string(kDropValidationFunction), "run: " + std::string(kOracleVersionQuery),
      "query: " + std::string(kJobsQuery)};
  const std::string server = "Executed: " + std::string(kValidationQuery) + "\n";
  const std::string both = server + "Executed: " + kJobsQuery + "\n", text(100, 'v');
  // The answers to the server, Oracle and jobs queries.
  const auto row = [&](const char* name, const std::string& verdict, const std::string& oracle,
                       const std::string& jobs, int result, const std::string& out,
                       const std::string& err) {
    FakeCase made(name, RunServerChecks, {}, result, "", out, err, sent);
    for (const auto& [query, table] : {std::pair{kValidationQuery, verdict},
                                       {kOracleVersionQuery, oracle},
                                       {kJobsQuery, jobs}}) {
      made.answers.emplace_back(query, Rows(table));
    }
    return made;
  };
  RunFakeCases({
      row("all pass", "0|" + text, "0|o", "", 111, both, ""),
      row("no rows", "", "", "", 1, both, ""),
      row("findings of each", "1|" + text, "1|o 11.2.0.2", "j1; j2", 0, both,
          "ERROR: wrong-version MSSQL -> " + text +
              "\nERROR: wrong-version Oracle -> o 11.2.0.2\n" +
              "ERROR! The following jobs should be cleaned up:\nj1\nj2\n"),
      row("mirroring", "4|c", "", "", 1, both, "ERROR: error-mirroring MSSQL\n"),
      row("version first", "3|c", "", "", 1, both, "ERROR: wrong-version MSSQL -> c\n"),
      row("compatibility next", "6|c", "", "", 1, both, "ERROR: wrong-compatibility MSSQL -> c\n"),
      row("each fails", "0|" + text + "v", "!boom", "!boom", 0, server + "failed.\nfailed.\n",
          Failed(kValidationQuery, kBufferOverflowText) + Failed(kOracleVersionQuery, "boom") +
              Failed(kJobsQuery, "boom")),
  });
}

}  // namespace
