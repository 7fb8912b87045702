#pragma once

#include <filesystem>
#include <string>
#include <vector>

/// The throwaway PostgreSQL server that tests/testbed/with-postgres.sh starts, as its environment
/// describes it.
struct Testbed {
  std::string host;          ///< TCP address of the server
  std::string port;
  std::string socketDir;     ///< where the superuser connects without a password
  std::string adminUser;     ///< superuser, over the socket
  std::string appUser;       ///< the role the program logs in with
  std::string appPassword;
  std::string postgresDriver;  ///< path of the psqlODBC Unicode driver library

  /// Reads the test bed from the environment; fails the test when it is not there.
  static const Testbed& Get();
  static bool IsAvailable();
};

/// A database of its own for one test, owned by the application role; dropped at the end.
class TestDatabase {
 public:
  /// Creates a database whose name is made from the given text (lower-cased, other characters
  /// turned into "_"), dropping any left-over one of that name first.
  explicit TestDatabase(const std::string& nameHint);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  const std::string& name() const { return name_; }

  /// Runs SQL as the application role; fails the test when psql reports an error.
  void Execute(const std::string& sql) const;

  /// Runs one query as the application role and returns its rows, each row's columns joined by
  /// "|" (unaligned psql output).
  std::vector<std::string> Query(const std::string& sql) const;

 private:
  std::string name_;
};

/// A temporary ODBCSYSINI folder: odbcinst.ini with the drivers and odbc.ini with the DSNs.
class OdbcIni {
 public:
  explicit OdbcIni(const std::filesystem::path& folder);

  /// Registers a driver under a name (e.g. "PostgreSQL Unicode" or "SQL Server").
  void AddDriver(const std::string& driverName, const std::filesystem::path& library);

  /// A DSN served by the named driver, with extra keys (key, value).
  void AddDsn(const std::string& dsn, const std::string& driverName,
              const std::vector<std::pair<std::string, std::string>>& keys);

  /// A DSN for the test bed's PostgreSQL database; registers "PostgreSQL Unicode" when needed.
  void AddPostgresDsn(const std::string& dsn, const TestDatabase& database);

  /// Writes both files; call after the last Add.
  void Write() const;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::vector<std::pair<std::string, std::string>> drivers_;
  std::vector<std::string> dsnSections_;
};
