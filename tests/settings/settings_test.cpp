#include <cstdlib>

#include "support/console_capture.h"
#include "settings/db_type_detection.h"
#include "settings/dsn_setting.h"

TEST(DsnSettingTest, TakesTheConfigurationFileThenTheSettingsFile) {
  static const TempDir folder;  // the configuration path is kept for the process
  setenv("HALVIK_CFG_DIR", (folder.path() / "cfg").c_str(), 1);
  setenv("HALVIK_REGISTRY_FILE", (folder.path() / "ini").c_str(), 1);
  const std::string key = "SOFTWARE\\Halvik, Inc.\\Halvik Tarnwell\\DB",
                    value = "[" + key + "]\n1=";
  const std::string unread = "Error occured while reading settings. The data was expected in key:";
  // twxd.cfg, the settings file, and the DSN or the failure.
  const std::tuple<std::optional<std::string>, std::optional<std::string>, std::string> cases[] = {
      {"</dsn><twxd>\r\n<dsn> Cfg\r\n </dsn><dsn>B</dsn>", value + "Reg", " Cfg\n "},
      {"<dsn></dsn>", value + std::string("Reg\0x", 5), "Reg"},
      {"<dsn>Cfg", "#1=No\n[Other]\n1=No\n" + value + " \" Reg \" \n 1 =Second\n", " Reg "},
      {std::nullopt, value + "\"\"", "Halvik Tarnwell"},
      {std::nullopt, value + "\" \"", unread + key},
      {std::nullopt, value + std::string(511, 'x'), std::string(511, 'x')},
      {std::nullopt, value + std::string(512, 'x'), unread + key},
      {std::nullopt, "[" + key + "]\n2=x", unread + key},
      {std::nullopt, "[" + key + " ]\n1=x",
       "Error occured while reading settings from registry key " + key},
  };
  for (const auto& [config, registry, expected] : cases) {
    std::filesystem::remove_all(folder.path());
    if (config) folder.WriteFile("cfg/halvik-twx/twxd.cfg", *config);
    if (registry) folder.WriteFile("ini", *registry);
    EXPECT_EQ(Result(ReadDsnSetting), expected);
  }
}

TEST(DbTypeDetectionTest, ReadsTheDriverOfASystemDataSourceAndTellsItsKind) {
  // A driver name, "=" and the kind that it gives.
  for (const std::string row :
       {"postgresql unicode=postgresql", "mssql postgre=postgresql", "sql server=mssql",
        "sql native client 11=mssql", "mssqlodbc oracle=mssql",
        "odbc driver 17 for sql server=", "my oracle 19=oracle", "ibm db2=db2"}) {
    const std::size_t equals = row.find('=');
    EXPECT_EQ(DetectDbTypeFromDriverName(row.substr(0, equals)).name, row.substr(equals + 1));
  }
  static const TempDir folder;  // the ODBC installer keeps its folder for the process
  folder.WriteFile("odbc.ini", "[TWDB]\nDriver = PostgreSQL Unicode\n[N]\nX=x\n");
  setenv("ODBCSYSINI", folder.path().c_str(), 1);
  EXPECT_EQ(Result([] { return DetectDbTypeFromDsn("TWDB").name; }),
            "Driver from DSN: 'postgresql unicode'\npostgresql");
  const std::string key = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
  // Data sources that are not listed, and how the failure shows them.
  const std::pair<std::string, std::string> dsns[] = {
      {"Other", "Other"}, {"", ""}, {std::string("TWDB\0x", 6), "TWDB\\0x"}, {"N", "N"}};
  for (const auto& [dsn, shown] : dsns) {
    EXPECT_EQ(Result([&] { return GetDsnDriver(dsn); }),
              "Error occured while reading settings for data source " + shown +
                  " from registry. The data was expected in key:" + key +
                  ", registry value name:" + shown);
  }
}
