#include "support/testbed.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "support/program_run.h"

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string MakeDatabaseName(const std::string& hint) {
  std::string name = "e2e_";
  for (const char c : hint) {
    const auto byte = static_cast<unsigned char>(c);
    name.push_back(std::isalnum(byte) ? static_cast<char>(std::tolower(byte)) : '_');
  }
  return name.substr(0, 63);
}

ProgramRun RunPsqlAsAdmin(const std::string& sql) {
  const Testbed& testbed = Testbed::Get();
  return RunProgram("/usr/bin/psql", {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h",
                                      testbed.socketDir, "-p", testbed.port, "-U",
                                      testbed.adminUser, "-d", "postgres", "-c", sql});
}

ProgramRun RunPsqlAsApp(const std::string& database, const std::vector<std::string>& extra) {
  const Testbed& testbed = Testbed::Get();
  std::vector<std::string> argv = {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", testbed.host,
                                   "-p", testbed.port, "-U", testbed.appUser, "-d", database};
  argv.insert(argv.end(), extra.begin(), extra.end());
  RunOptions options;
  options.environment["PGPASSWORD"] = testbed.appPassword;
  return RunProgram("/usr/bin/psql", argv, options);
}

}  // namespace

bool Testbed::IsAvailable() { return !EnvironmentValue("SCHEMALIFT_PG_PORT").empty(); }

const Testbed& Testbed::Get() {
  static const Testbed testbed = [] {
    Testbed t;
    t.host = EnvironmentValue("SCHEMALIFT_PG_HOST");
    t.port = EnvironmentValue("SCHEMALIFT_PG_PORT");
    t.socketDir = EnvironmentValue("SCHEMALIFT_PG_SOCKET_DIR");
    t.adminUser = EnvironmentValue("SCHEMALIFT_PG_ADMIN");
    t.appUser = EnvironmentValue("SCHEMALIFT_PG_USER");
    t.appPassword = EnvironmentValue("SCHEMALIFT_PG_PASSWORD");
    t.postgresDriver = EnvironmentValue("SCHEMALIFT_PSQLODBC_DRIVER");
    return t;
  }();
  if (testbed.port.empty()) {
    ADD_FAILURE() << "no PostgreSQL test bed: run the tests through tests/testbed/with-postgres.sh";
  }
  return testbed;
}

TestDatabase::TestDatabase(const std::string& nameHint) : name_(MakeDatabaseName(nameHint)) {
  const Testbed& testbed = Testbed::Get();
  RunPsqlAsAdmin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  const ProgramRun created =
      RunPsqlAsAdmin("CREATE DATABASE " + name_ + " OWNER " + testbed.appUser);
  EXPECT_EQ(created.exitStatus, 0) << created.err;
  Execute("CREATE SCHEMA IF NOT EXISTS " + testbed.appUser);
}

TestDatabase::~TestDatabase() { RunPsqlAsAdmin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)"); }

void TestDatabase::Execute(const std::string& sql) const {
  const ProgramRun run = RunPsqlAsApp(name_, {"-c", sql});
  EXPECT_EQ(run.exitStatus, 0) << "SQL failed: " << sql << "\n" << run.err;
}

std::vector<std::string> TestDatabase::Query(const std::string& sql) const {
  const ProgramRun run = RunPsqlAsApp(name_, {"-A", "-t", "-c", sql});
  EXPECT_EQ(run.exitStatus, 0) << "query failed: " << sql << "\n" << run.err;
  return run.OutLines();
}

OdbcIni::OdbcIni(const std::filesystem::path& folder) : folder_(folder) {}

void OdbcIni::AddDriver(const std::string& driverName, const std::filesystem::path& library) {
  for (const auto& [name, path] : drivers_) {
    if (name == driverName) return;
  }
  drivers_.emplace_back(driverName, library.string());
}

void OdbcIni::AddDsn(const std::string& dsn, const std::string& driverName,
                     const std::vector<std::pair<std::string, std::string>>& keys) {
  std::string section = "[" + dsn + "]\nDriver=" + driverName + "\n";
  for (const auto& [key, value] : keys) section += key + "=" + value + "\n";
  dsnSections_.push_back(section);
}

void OdbcIni::AddPostgresDsn(const std::string& dsn, const TestDatabase& database) {
  const Testbed& testbed = Testbed::Get();
  AddDriver("PostgreSQL Unicode", testbed.postgresDriver);
  AddDsn(dsn, "PostgreSQL Unicode",
         {{"Servername", testbed.host}, {"Port", testbed.port}, {"Database", database.name()}});
}

void OdbcIni::Write() const {
  std::filesystem::create_directories(folder_);
  std::ofstream drivers(folder_ / "odbcinst.ini", std::ios::trunc);
  for (const auto& [name, path] : drivers_) drivers << "[" << name << "]\nDriver=" << path << "\n\n";
  std::ofstream sources(folder_ / "odbc.ini", std::ios::trunc);
  for (const std::string& section : dsnSections_) sources << section << "\n";
}
