#include "e2e/scripted_e2e.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/output_match.h"

namespace scripted_e2e {

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Rule(std::string_view mode, std::string_view pattern, std::string_view body) {
  return "rule " + std::string(mode) + " " + Quote(pattern) + "\n" + std::string(body) + "end\n";
}

std::string TextRows(std::string_view column, const std::vector<std::optional<std::string>>& rows) {
  std::string body = "  columns " + std::string(column) + ":text\n";
  for (const std::optional<std::string>& row : rows) {
    body += "  row " + (row ? Quote(*row) : std::string("null")) + "\n";
  }
  return body;
}

std::string IntRows(const std::vector<std::optional<int>>& rows) {
  std::string body = "  columns int\n";
  for (const std::optional<int>& row : rows) {
    body += "  row " + (row ? std::to_string(*row) : std::string("null")) + "\n";
  }
  return body;
}

std::string Diag(std::string_view state, long native, std::string_view message) {
  return "    diag " + std::string(state) + " " + std::to_string(native) + " " + Quote(message) +
         "\n";
}

std::string Failure(std::string_view state, long native, std::string_view message) {
  return "  fail\n" + Diag(state, native, message);
}

std::string ResetRules() {
  std::string rules;
  for (const char* statement : {kDeleteTable, kDeleteIndexColumn, kDeleteSchemaHash}) {
    rules += Rule("exact", statement, "  no-data\n");
  }
  return rules;
}

std::vector<std::string> Trace(const std::string& statement) {
  return {"{TS} - Executing: ", statement, "{TS} - Done."};
}

std::vector<std::string> ResetTrace() {
  return Concat({Trace(kDeleteTable), Trace(kDeleteIndexColumn), Trace(kDeleteSchemaHash)});
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> SettingsLines(const std::string& dbType, const std::string& user,
                                       const std::string& dsn, const std::string& version,
                                       const std::optional<std::string>& driverLine) {
  std::vector<std::string> lines = {"Parsing command line arguments...",
                                    "Command line arguments parsed."};
  if (driverLine) lines.push_back("Driver from DSN: '" + *driverLine + "'");
  lines.insert(lines.end(),
               {"DB type: '" + dbType + "'", "DB user name: '" + user + "'",
                "Data Source Name: '" + dsn + "'", "twxd base version : '" + version + "'"});
  return lines;
}

std::vector<std::string> Report(const std::string& title, const std::string& statement,
                                const std::string& record) {
  return {title, statement, "^^^^^^^^^^", "", record};
}

std::string CollapseBlanks(std::string_view text) {
  std::string collapsed;
  bool pendingBlank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
      pendingBlank = !collapsed.empty();
      continue;
    }
    if (pendingBlank) collapsed += ' ';
    pendingBlank = false;
    collapsed += c;
  }
  return collapsed;
}

std::string Repeat(char c, std::size_t count) {
  return std::string(count, c);
}

void ScriptedE2eTest::AddScriptedDsn(const std::string& driverName, const std::string& fixture,
                                     const std::string& dsn) {
  static int fixtureNumber = 0;
  const std::filesystem::path fixturePath =
      temp().WriteFile("scripted/fixture" + std::to_string(++fixtureNumber) + ".txt", fixture);
  odbcIni().AddDriver(driverName, SCRIPTED_DRIVER_LIBRARY);
  odbcIni().AddDsn(dsn, driverName,
                   {{"Fixture", fixturePath.string()}, {"Journal", JournalPath().string()}});
}

ProgramRun ScriptedE2eTest::RunScripted(const std::string& dbType,
                                        const std::vector<std::string>& extra) {
  std::vector<std::string> arguments;
  if (!dbType.empty()) arguments = {"-t", dbType};
  arguments.insert(arguments.end(), {"-d", B64(kScriptedDsn), "-u", B64(kScriptedUser), "-p",
                                     B64("scripted-secret"), "-y"});
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return RunSchemalift(arguments);
}

std::vector<scripted_odbc::JournalEvent> ScriptedE2eTest::Journal() {
  return scripted_odbc::ParseJournal(SplitLines(ReadWholeFile(JournalPath())));
}

std::vector<std::string> ScriptedE2eTest::ExecutedStatements() {
  std::vector<std::string> statements;
  for (const scripted_odbc::JournalEvent& event : Journal()) {
    if (event.event == "EXEC") statements.push_back(event.detail);
  }
  return statements;
}

std::vector<std::string> ScriptedE2eTest::JournalOutline() {
  std::vector<std::string> outline;
  for (const scripted_odbc::JournalEvent& event : Journal()) {
    if (event.event == "ALLOC STMT" || event.event == "FREE STMT" || event.event == "FETCH") {
      continue;
    }
    outline.push_back(event.detail.empty() ? event.event : event.event + " " + event.detail);
  }
  return outline;
}

void ScriptedE2eTest::ExpectEveryStatementFreed() {
  const std::vector<scripted_odbc::JournalEvent> events = Journal();
  ASSERT_FALSE(events.empty()) << "no journal at " << JournalPath();
  EXPECT_EQ(scripted_odbc::UnfreedStatements(events), std::vector<int>{});
  EXPECT_EQ(events.back().event, "DISCONNECT");
}

void ServerCheckTest::SetUp() {
  ScriptedE2eTest::SetUp();
  for (const std::string kind : {"mssql", "oracle"}) {
    temp().WriteFile("work/Upgrade-v2013-to-v2015/" + kind + "/validate_schema_" + kind + ".sql",
                     "");
    temp().WriteFile("work/Upgrade-v2013-to-v2015/" + kind + "/validate_" + kind + ".sql", "");
    temp().WriteFile("work/" + kind + "_permissions_check.sql", kPermissionsQuery);
  }
}

void ServerCheckTest::UseMssql(const std::string& check, const std::string& jobs,
                               const std::string& create, const std::string& drop) {
  AddScriptedDsn(scripted_odbc::kSqlServerDriver,
                 Rule("exact", kDatabaseNameQuery, TextRows("name", {"TWDB"})) +
                     Rule("exact", kAlterPermissionQuery, IntRows({0})) +
                     Rule("prefix", kCreateFunctionStart, create) +
                     Rule("exact", kValidationQuery, check) + Rule("exact", kDropFunction, drop) +
                     Rule("prefix", kJobsQueryStart, jobs) + "rule any\n" + TextRows("value", {}) +
                     "end\n");
}

void ServerCheckTest::UseOracle(const std::string& check) {
  AddScriptedDsn(scripted_odbc::kOracleDriver, Rule("prefix", kOracleQueryStart, check) +
                                                   "rule any\n" + TextRows("value", {}) + "end\n");
}

ProgramRun ServerCheckTest::RunValidation(const std::string& dbType) {
  return RunScripted(dbType, {"-v", "warnings.txt", "-e", "-b", "550"});
}

std::string ServerCheckTest::MssqlRow(std::optional<int> mask, const std::string& text) {
  return "  columns server_version:int ver_comp:text\n  row " +
         (mask ? std::to_string(*mask) : std::string("null")) + " " + Quote(text) + "\n";
}

std::string ServerCheckTest::OracleRow(std::optional<int> count, const std::string& text) {
  return "  columns server_version:int version:text\n  row " +
         (count ? std::to_string(*count) : std::string("null")) + " " + Quote(text) + "\n";
}

std::vector<std::string> ServerCheckTest::Section(const ProgramRun& run, const std::string& first,
                                                  std::size_t count) {
  const std::vector<std::string> lines = run.OutLines();
  auto start = std::find(lines.begin(), lines.end(), first);
  std::vector<std::string> section;
  for (; start != lines.end() && section.size() < count; ++start) section.push_back(*start);
  return section;
}

void ServerCheckTest::ExpectSection(const ProgramRun& run,
                                    const std::vector<std::string>& expected) {
  ASSERT_FALSE(expected.empty());
  EXPECT_LINES(Section(run, expected.front(), expected.size()), expected);
}

bool ServerCheckTest::Received(const std::string& statement) {
  const std::vector<std::string> statements = ExecutedStatements();
  return std::find(statements.begin(), statements.end(), statement) != statements.end();
}

}  // namespace scripted_e2e
