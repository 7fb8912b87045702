#include "scripted_odbc_home.h"

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace scripted_odbc {
namespace {

constexpr char kMarkerSection[] = "scripted_odbc_home";
constexpr char kMarkerDriver[] = "/nonexistent/scripted-odbc-home-check.so";

void AppendToFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream file(path, std::ios::binary | std::ios::app);
  file << text;
  file.flush();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const std::filesystem::path& path, std::string_view text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.flush();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::string DriverSection(const std::string& name) {
  return "[" + name +
         "]\nDescription=Scripted ODBC driver for the tests\nDriver=" + DriverLibraryPath() +
         "\n\n";
}

}  // namespace

const char* DriverLibraryPath() {
  return SCRIPTED_ODBC_DRIVER_PATH;
}

void DataSource::WriteFixture(std::string_view text) const {
  WriteFile(fixture, text);
}

std::vector<std::string> DataSource::JournalLines() const {
  std::vector<std::string> lines;
  std::ifstream file(journal, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) lines.push_back(line);
  return lines;
}

OdbcHome& OdbcHome::Instance() {
  static OdbcHome home;
  return home;
}

OdbcHome::OdbcHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "scripted-odbc-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
  }
  folder_ = pattern;
  drivers_ = {kSqlServerDriver, kSqlServerNativeDriver, kOracleDriver};
  std::string drivers;
  for (const std::string& name : drivers_) drivers += DriverSection(name);
  WriteFile(folder_ / "odbcinst.ini", drivers);
  WriteFile(folder_ / "odbc.ini",
            std::string("[") + kMarkerSection + "]\nDriver=" + kMarkerDriver + "\n\n");
  setenv("ODBCSYSINI", folder_.c_str(), 1);
  try {
    CheckDriverManagerSeesFolder();
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    throw;
  }
}

// The driver manager fixes its configuration folder when the process allocates its first
// environment handle; a data source of the folder must then be found.
void OdbcHome::CheckDriverManagerSeesFolder() const {
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                SQL_IS_UINTEGER);
  SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
  std::string dsn = kMarkerSection;
  // The marker's driver does not exist: the connect fails either way, but only a data source
  // that was found names it.
  SQLConnect(connection, reinterpret_cast<SQLCHAR*>(dsn.data()), SQL_NTS, nullptr, 0, nullptr, 0);
  bool found = false;
  for (SQLSMALLINT number = 1; number < 10; ++number) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_DBC, connection, number, state, &native, message,
                                     sizeof message, &length))) {
      break;
    }
    found = found || std::string_view(reinterpret_cast<const char*>(message)).find(kMarkerDriver) !=
                         std::string_view::npos;
  }
  SQLFreeHandle(SQL_HANDLE_DBC, connection);
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
  if (!found) {
    throw std::runtime_error(
        "the ODBC driver manager of this process was set up before the scripted ODBC test kit "
        "was first used: call scripted_odbc::OdbcHome::Instance() before any other ODBC call");
  }
}

OdbcHome::~OdbcHome() {
  const char* keep = std::getenv("SCRIPTED_ODBC_KEEP");
  if (keep != nullptr && *keep != '\0') return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void OdbcHome::RegisterDriver(const std::string& name) {
  std::lock_guard lock(mutex_);
  if (std::find(drivers_.begin(), drivers_.end(), name) != drivers_.end()) return;
  drivers_.push_back(name);
  AppendToFile(folder_ / "odbcinst.ini", DriverSection(name));
}

DataSource OdbcHome::AddDataSource(const DataSourceOptions& options) {
  std::lock_guard lock(mutex_);
  DataSource source;
  source.name = "scripted_dsn_" + std::to_string(nextDataSource_++);
  const std::filesystem::path files = folder_ / source.name;
  std::filesystem::create_directories(files);
  source.fixture = files / "fixture.txt";
  source.journal = files / "journal.txt";
  WriteFile(source.fixture, options.fixture);

  std::string section = "[" + source.name + "]\nDriver=" + options.driver + "\n";
  if (options.fixtureEntry) section += "Fixture=" + source.fixture.string() + "\n";
  if (options.journal) section += "Journal=" + source.journal.string() + "\n";
  for (const auto& [key, value] : options.entries) section += key + "=" + value + "\n";
  AppendToFile(folder_ / "odbc.ini", section + "\n");
  return source;
}

std::string UnescapeJournal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        unsigned value = 0;
        const char* begin = text.data() + i + 1;
        const auto [end, error] = std::from_chars(
            begin, begin + std::min<std::size_t>(2, text.size() - i - 1), value, 16);
        if (error == std::errc() && end == begin + 2) {
          out += static_cast<char>(value);
          i += 2;
        } else {
          out += "\\x";
        }
        break;
      }
      default:
        out += next;  // \\ and anything unexpected
    }
  }
  return out;
}

JournalEvent ParseJournalLine(std::string_view line) {
  JournalEvent event;
  std::size_t hash = line.find(" #");
  const std::size_t space = line.find(' ');
  // The statement number follows " #" in the first or second word ("EXEC #1", "ALLOC STMT #1").
  if (hash != std::string_view::npos && (space == hash || line.find(' ', space + 1) == hash)) {
    event.event = std::string(line.substr(0, hash));
    std::size_t digits = hash + 2;
    std::size_t end = digits;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
    std::from_chars(line.data() + digits, line.data() + end, event.statement);
    if (end < line.size()) event.detail = UnescapeJournal(line.substr(end + 1));
    return event;
  }
  event.event = std::string(line.substr(0, space));
  if (space != std::string_view::npos) event.detail = UnescapeJournal(line.substr(space + 1));
  return event;
}

std::vector<JournalEvent> ParseJournal(const std::vector<std::string>& lines) {
  std::vector<JournalEvent> events;
  events.reserve(lines.size());
  for (const std::string& line : lines) events.push_back(ParseJournalLine(line));
  return events;
}

std::vector<int> UnfreedStatements(const std::vector<JournalEvent>& events) {
  std::vector<int> unfreed;
  std::vector<int> open;
  for (const JournalEvent& event : events) {
    if (event.event == "ALLOC STMT") open.push_back(event.statement);
    if (event.event == "FREE STMT") std::erase(open, event.statement);
    if (event.event == "CONNECT") {  // numbers start again with each connection
      unfreed.insert(unfreed.end(), open.begin(), open.end());
      open.clear();
    }
  }
  unfreed.insert(unfreed.end(), open.begin(), open.end());
  return unfreed;
}

}  // namespace scripted_odbc
