// The reference for the statement rate of the upgrade benchmark: a bare ODBC loop that runs the
// statements of a psql file (one statement per line, ended by a semicolon) the way the upgrade
// runs each statement (a statement handle allocated, SQLExecDirect, the handle freed), with no
// output. The caller times the whole process, as it times psql.
//
//   odbc_loop_bench DSN USER PASSWORD FILE
#include <sql.h>
#include <sqlext.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

bool Succeeded(SQLRETURN code) {
  return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

SQLCHAR* AsSql(std::string& text) {
  return reinterpret_cast<SQLCHAR*>(text.data());
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::cerr << "usage: odbc_loop_bench DSN USER PASSWORD FILE" << std::endl;
    return 2;
  }
  std::vector<std::string> statements;
  std::ifstream file(argv[4]);
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == ';') line.pop_back();
    if (!line.empty()) statements.push_back(line);
  }
  std::string dsn = argv[1], user = argv[2], password = argv[3];
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
  if (!Succeeded(SQLConnect(connection, AsSql(dsn), SQL_NTS, AsSql(user), SQL_NTS, AsSql(password),
                            SQL_NTS))) {
    std::cerr << "cannot connect" << std::endl;
    return 1;
  }
  for (std::string& statement : statements) {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle);
    const SQLRETURN code =
        SQLExecDirect(handle, AsSql(statement), static_cast<SQLINTEGER>(statement.size()));
    SQLFreeHandle(SQL_HANDLE_STMT, handle);
    if (!Succeeded(code) && code != SQL_NO_DATA) {
      std::cerr << "statement failed: " << statement << std::endl;
      return 1;
    }
  }
  SQLDisconnect(connection);
  SQLFreeHandle(SQL_HANDLE_DBC, connection);
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
  return 0;
}
