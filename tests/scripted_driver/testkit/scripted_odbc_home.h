// Test kit of the scripted ODBC driver: the ODBC configuration folder of a test process, its data
// sources, and the reading of journals.
//
// unixODBC reads ODBCSYSINI once per process and keeps it, and its installer library keeps every
// entry it has looked up. So a process has one configuration folder, made on first use, and each
// data source gets a name never used before in the process: a new entry is read from the file.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scripted_odbc {

// Driver names registered in every odbcinst.ini the kit writes.
inline constexpr const char* kSqlServerDriver = "SQL Server";
inline constexpr const char* kSqlServerNativeDriver = "SQL Server Native Client 11.0";
inline constexpr const char* kOracleDriver = "Oracle in OraClient11g_home1";

// Absolute path of the built driver library.
const char* DriverLibraryPath();

struct DataSourceOptions {
  std::string driver = kSqlServerDriver;
  std::string fixture;       // text of the fixture file
  bool fixtureEntry = true;  // false: the data source has no Fixture entry
  bool journal = true;       // false: the data source has no Journal entry
  std::vector<std::pair<std::string, std::string>> entries;  // more entries of the section
};

struct DataSource {
  std::string name;
  std::filesystem::path fixture;
  std::filesystem::path journal;

  // Replaces the fixture; the driver reads it at each connect.
  void WriteFixture(std::string_view text) const;
  // The journal lines, without their newlines; empty when there is no journal yet.
  std::vector<std::string> JournalLines() const;
};

class OdbcHome {
 public:
  // Makes the folder, writes odbcinst.ini and sets ODBCSYSINI, on first call. It must come before
  // the first ODBC call of the process (the driver manager fixes its configuration folder when
  // the first environment handle is allocated): call it in SetUp or SetUpTestSuite. Throws when
  // the driver manager does not see the folder.
  static OdbcHome& Instance();

  OdbcHome(const OdbcHome&) = delete;
  OdbcHome& operator=(const OdbcHome&) = delete;
  ~OdbcHome();

  // The folder to give a child process as ODBCSYSINI.
  const std::filesystem::path& folder() const { return folder_; }

  // Adds a data source section to odbc.ini, with its own fixture and journal files in a folder
  // of its own.
  DataSource AddDataSource(const DataSourceOptions& options);
  DataSource AddDataSource(std::string_view fixture) {
    DataSourceOptions options;
    options.fixture = std::string(fixture);
    return AddDataSource(options);
  }

  // Registers one more driver name for the scripted driver.
  void RegisterDriver(const std::string& name);

 private:
  OdbcHome();
  void CheckDriverManagerSeesFolder() const;

  std::mutex mutex_;
  std::filesystem::path folder_;
  std::vector<std::string> drivers_;
  int nextDataSource_ = 1;
};

// One journal line taken apart: "EXEC #3 SELECT 1" gives {"EXEC", 3, "SELECT 1"};
// "ALLOC STMT #2" gives {"ALLOC STMT", 2, ""}; "DISCONNECT" gives {"DISCONNECT", 0, ""}.
// The detail is unescaped.
struct JournalEvent {
  std::string event;
  int statement = 0;  // 0 when the event names no statement
  std::string detail;

  bool operator==(const JournalEvent&) const = default;
};

JournalEvent ParseJournalLine(std::string_view line);
std::vector<JournalEvent> ParseJournal(const std::vector<std::string>& lines);
// Reverses the escaping of the driver: \\ \n \r \t and \xHH.
std::string UnescapeJournal(std::string_view text);

// Statement numbers allocated and not freed, in order.
std::vector<int> UnfreedStatements(const std::vector<JournalEvent>& events);

}  // namespace scripted_odbc
