#pragma once
// The throwaway PostgreSQL server that tests/testbed/with-postgres.sh starts, and the ODBC
// settings that reach it.

#include <cstdlib>

#include "support/program_run.h"

/// A value of the test bed: Pg("PORT") is $SCHEMALIFT_PG_PORT, and so on; a name that starts with
/// "SCHEMALIFT_" is the whole variable name.
inline std::string Pg(const std::string& name) {
  const char* value =
      std::getenv(((name.starts_with("SCHEMALIFT_") ? "" : "SCHEMALIFT_PG_") + name).c_str());
  EXPECT_NE(value, nullptr) << "no test bed: run the tests through tests/testbed/with-postgres.sh";
  return value == nullptr ? "" : value;
}

/// Runs SQL as the superuser and returns the rows (columns joined by "|"); a failure fails the
/// test.
inline Lines AdminQuery(const std::string& sql, const std::string& database = "postgres") {
  const ProgramRun run =
      RunProgram("/usr/bin/psql",
                 {"psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", Pg("SOCKET_DIR"),
                  "-p", Pg("PORT"), "-U", Pg("ADMIN"), "-d", database, "-c", sql});
  EXPECT_EQ(run.exitStatus, 0) << "SQL failed: " << sql.substr(0, 200) << "\n" << run.err;
  return run.OutLines();
}

/// The odbc.ini section of a data source of the test bed's driver for a database on a server at
/// the test bed's port.
inline std::string PostgresDsn(const std::string& dsn, const std::string& database,
                               const std::string& server = "127.0.0.1") {
  return "[" + dsn + "]\nDriver=PostgreSQL Unicode\nServername=" + server + "\nPort=" + Pg("PORT") +
         "\nDatabase=" + database + "\n";
}
