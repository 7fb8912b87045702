#pragma once

#include <sql.h>

#include <string>

/// The ODBC environment and the one connection of a run. Released by Release() or, on any other
/// way out, by the destructor: disconnect, free the connection handle, free the environment handle.
class DatabaseConnection {
 public:
  DatabaseConnection() = default;
  ~DatabaseConnection();
  DatabaseConnection(const DatabaseConnection&) = delete;
  DatabaseConnection& operator=(const DatabaseConnection&) = delete;

  SQLHENV environment() const { return environment_; }
  SQLHDBC connection() const { return connection_; }
  SQLHENV* environmentSlot() { return &environment_; }
  SQLHDBC* connectionSlot() { return &connection_; }

  /// Disconnects and frees both handles (null ones included), ignoring the results.
  void Release();

 private:
  SQLHENV environment_ = SQL_NULL_HENV;
  SQLHDBC connection_ = SQL_NULL_HDBC;
};

/// Opens the environment (ODBC 3) and connects to the data source with SQLConnectW. Prints
/// "Connected to database. ..." and returns 0, or prints the failure with the connection's
/// diagnostic records and returns 1. The wide copy of the password is wiped right after the call.
int ConnectToDatabase(const std::string& dsn, const std::string& userName,
                      const std::string& password, DatabaseConnection& database);
