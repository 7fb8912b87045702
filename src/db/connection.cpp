#include "db/connection.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <iostream>

#include "db/diagnostics.h"
#include "db/odbc_result.h"
#include "db/utf8_to_wide.h"
#include "platform/secret_wipe.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must take UTF-16 units");

namespace {

SQLWCHAR* AsSqlWide(std::u16string& text) {
  return reinterpret_cast<SQLWCHAR*>(text.data());
}

/// The driver manager takes the connection's texts up to their first NUL byte, so such a text
/// would silently name another data source, user or password: the reason to refuse it, or
/// nothing. The password's offset is not shown.
std::string DescribeNulByte(const std::string& dsn, const std::string& userName,
                            const std::string& password) {
  const auto at = [](const std::string& text) {
    return " holds a NUL byte at offset " + std::to_string(text.find('\0'));
  };
  std::string what;
  if (dsn.find('\0') != std::string::npos)
    what = "the DSN" + at(dsn);
  else if (userName.find('\0') != std::string::npos)
    what = "the user name" + at(userName);
  else if (password.find('\0') != std::string::npos)
    what = "the password holds a NUL byte";
  if (what.empty()) return what;
  return "Connection refused: " + what +
         ", and the driver manager would receive only the text before it.";
}

}  // namespace

DatabaseConnection::~DatabaseConnection() {
  Release();
}

void DatabaseConnection::Release() {
  if (connection_ != SQL_NULL_HDBC) {
    SQLDisconnect(connection_);
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    connection_ = SQL_NULL_HDBC;
  }
  if (environment_ != SQL_NULL_HENV) {
    SQLFreeHandle(SQL_HANDLE_ENV, environment_);
    environment_ = SQL_NULL_HENV;
  }
}

int ConnectToDatabase(const std::string& dsn, const std::string& userName,
                      const std::string& password, DatabaseConnection& database) {
  if (!IsSucceeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, database.environmentSlot()))) {
    std::cerr << "Cannot allocate environment handle" << std::endl;
    return 1;
  }
  if (!IsSucceeded(SQLSetEnvAttr(database.environment(), SQL_ATTR_ODBC_VERSION,
                                 reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_UINTEGER))) {
    std::cerr << "Cannot set odbc version attribute" << std::endl;
    return 1;
  }
  if (!IsSucceeded(
          SQLAllocHandle(SQL_HANDLE_DBC, database.environment(), database.connectionSlot()))) {
    std::cerr << "Cannot allocate connection handle" << std::endl;
    return 1;
  }

  if (const std::string refusal = DescribeNulByte(dsn, userName, password); !refusal.empty()) {
    std::cerr << "Cannot connect to database. DSN='" << dsn << "' user='" << userName << "'"
              << std::endl;
    std::cerr << refusal << std::endl;
    return 1;
  }
  std::u16string wideDsn = Utf8ToWide(dsn);
  std::u16string wideUser = Utf8ToWide(userName);
  std::u16string widePassword = Utf8ToWide(password);
  const SQLRETURN code =
      SQLConnectW(database.connection(), AsSqlWide(wideDsn), SQL_NTS, AsSqlWide(wideUser), SQL_NTS,
                  AsSqlWide(widePassword), SQL_NTS);
  WipeSecret(widePassword);

  if (IsSucceeded(code)) {
    std::cout << "Connected to database. DSN='" << dsn << "' user='" << userName << "'"
              << std::endl;
    return 0;
  }
  std::cerr << "Cannot connect to database. DSN='" << dsn << "' user='" << userName << "'"
            << std::endl;
  WriteDiagnostics(SQL_HANDLE_DBC, database.connection(), std::cerr, false);
  return 1;
}
