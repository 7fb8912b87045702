#include "driver/command_line.h"

#include "driver/usage.h"
#include "driver/version_probes.h"
#include "support/console_capture.h"

/// dsn|user|password|kind|version ("?" when not given)|warnings file|build tag|-y -e -m.
std::string Describe(const RunSettings& s) {
  return s.dsn + '|' + s.userName + '|' + s.password + '|' +
         std::string(DbTypeDisplayName(s.dbType)) + '|' + std::to_string(s.sourceVersion) +
         (s.versionGiven ? "|" : "?|") + s.warningsFile + '|' + s.buildTag + '|' +
         std::to_string(s.nonInteractive) + std::to_string(s.externalDatabase) +
         std::to_string(s.skipServerChecks);
}

const std::string kB2b = "Build to build mode.\n";

// The arguments after "bin/sl"; the status; standard error, followed by the settings when the
// status is 0; standard output between its first line and its last line or the usage text.
const std::tuple<std::vector<std::string>, int, std::string, std::string> kCases[] = {
    {{"x", "-b", "550", "y", "/y", "--", "-e"}, 0, "|tw||NONE|550|||100", ""},
    {{"-yb659", "-t", "oracle", "/em"}, 0, "|tw||oracle|659|||111", ""},
    {{"-t", "mssql"}, 0, "|tw||mssql|650?|||000", ""},
    {{"-t", "postgresql"}, 0, "|tw||PostgreSQL|650?|||000", ""},
    {{"-v", "-y"}, 0, "|tw||NONE|650?|-y||000", ""},
    {{"-s", "t"}, 0, "|tw||NONE|650?||t|000", kB2b},
    {{"-v", "f", "-s", "t"}, 0, "|tw||NONE|650?||t|000", kB2b},
    {{"-s", "t", "-v", "f"}, 0, "|tw||NONE|650?|f|t|000", kB2b},
    {{"-s", "", "-s", ""}, 0, "|tw||NONE|650?|||000", kB2b + kB2b},
    {{"-d", "VFdEQg==", "-u", "", "-p", "YWI=Zm9v"}, 0, "TWDB||ab|NONE|650?|||000", ""},
    {{"-b", "549"}, 1, "ERROR: Incorrect Database Version: 549\n", ""},
    {{"-b", "660"}, 1, "ERROR: Incorrect Database Version: 660\n", ""},
    {{"-b", "4294967846"}, 1, "ERROR: Incorrect Database Version: 2147483647\n", ""},
    {{"-t", "Oracle"}, 1, "ERROR: Invalid DB type: 'Oracle'\n", ""},
    {{"-t", "db2"}, 1, "ERROR: Invalid DB type: 'db2'\n", ""},
    {{"-t", "mssql "}, 1, "ERROR: Invalid DB type: 'mssql '\n", ""},
    {{"-p", "cA"}, 1, "ERROR: Password is not a valid base64 string: 'cA'\n", ""},
    {{"-u", "YW Jj"}, 1, "ERROR: Username is not a valid base64 string: 'YW Jj'\n", ""},
    {{"-d", "YWJjZA"}, 1, "ERROR: DSN is not a valid base64 string: 'YWJjZA'\n", ""},
    {{"-v", ""}, 1, "ERROR: Invalid warnings output file parameter.\n", ""},
    {{"-"}, 1, "ERROR: Invalid parameter.\n", ""},
    {{"-yx"}, 1, "bin/sl: unrecognized option 'x'\nERROR: Invalid parameter.\n", ""},
    {{"--long"}, 1, "bin/sl: unrecognized option 'long'\nERROR: Invalid parameter.\n", ""},
    {{"-y", "-b"}, 1, "bin/sl: option 'b' requires an argument\nERROR: Invalid parameter.\n", ""},
};

TEST(CommandLineTest, ReadsTheSettingsOrReportsTheFirstError) {
  const std::string usage = Captured(PrintUsage).out;
  for (auto [arguments, status, errAndSettings, out] : kCases) {
    arguments.insert(arguments.begin(), "bin/sl");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    RunSettings settings;
    std::optional<int> returned;
    const Console console = Captured(
        [&] { returned = ReadCommandLine(static_cast<int>(argv.size()), argv.data(), settings); });
    EXPECT_EQ(returned.value_or(0), status) << errAndSettings;
    EXPECT_EQ(console.err + (returned ? "" : Describe(settings)), errAndSettings);
    EXPECT_EQ(console.out, "Parsing command line arguments...\n" + out +
                               (returned ? usage : "Command line arguments parsed.\n"));
  }
}

TEST(VersionProbesTest, ReadOneTextAndReportOnlyAMissingTable) {
  const std::string longest(2500, '9');
  // The answer to the probe's query; the text read and the status returned.
  const std::pair<std::string, std::string> cases[] = {
      {"7.0.1", "7.0.1 0"},
      {longest, longest + " 0"},
      {longest + "9", " 0"},
      {"NULL", " 0"},
      {"!relation does not exist", " 0"},
      {"!does not exist: TWX_PATCH_VERSION", "0 1"}};
  for (const auto& [read, query] : {std::pair{&ReadPatchVersion, kPatchVersionQuery},
                                    {&ReadOrmObjectCount, kOrmObjectCountQuery}}) {
    for (const auto& [answer, result] : cases) {
      FakeDatabase database;
      database.Reply(query, Rows(answer));
      std::string value = "before";
      const Console console = Captured([&] {
        const int status = read(database, value);
        value += " " + std::to_string(status);
      });
      EXPECT_EQ(value + console.out, result);
      const std::string report =
          "Error reading '" + std::string(query) + "' patch version. Reason: ";
      EXPECT_EQ(console.err, result == "0 1" ? report + answer.substr(1) + "\n" : "");
      EXPECT_EQ(Joined(database.sent), "query: " + std::string(query) + "|");
    }
  }
}
