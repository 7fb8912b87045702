// The ODBC entry points of the scripted driver.
//
// It is a Unicode driver, as the SQL Server and Oracle drivers are: every function that carries
// text has a wide (W) entry point, and the ANSI one stays for ANSI applications. unixODBC 2.3.11
// takes a driver that has SQLConnectW as a Unicode driver once an application connects with
// SQLConnectW, and from then on calls only the W functions of those that carry text; it converts
// the application's ANSI calls (SQLExecDirect, SQLGetDiagRec, ...) to them. A driver without
// SQLConnectW would not do either: the driver manager converts SQLConnectW for SQLConnect through
// a fixed 33-character window, cutting longer names and reading past shorter ones.
//
// exports.map lists what the library exports; kSupportedFunctions must list the same.

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "handles.h"
#include "text.h"

using scripted::ColumnDescription;
using scripted::Connection;
using scripted::DiagArea;
using scripted::Environment;
using scripted::Statement;

namespace {

constexpr std::array<SQLUSMALLINT, 25> kSupportedFunctions = {
    SQL_API_SQLALLOCHANDLE,    SQL_API_SQLFREEHANDLE,    SQL_API_SQLSETENVATTR,
    SQL_API_SQLGETENVATTR,     SQL_API_SQLCONNECT,       SQL_API_SQLDISCONNECT,
    SQL_API_SQLGETINFO,        SQL_API_SQLGETFUNCTIONS,  SQL_API_SQLSETCONNECTATTR,
    SQL_API_SQLGETCONNECTATTR, SQL_API_SQLSETSTMTATTR,   SQL_API_SQLGETSTMTATTR,
    SQL_API_SQLEXECDIRECT,     SQL_API_SQLNUMRESULTCOLS, SQL_API_SQLDESCRIBECOL,
    SQL_API_SQLROWCOUNT,       SQL_API_SQLFETCH,         SQL_API_SQLGETDATA,
    SQL_API_SQLFREESTMT,       SQL_API_SQLCLOSECURSOR,   SQL_API_SQLCANCEL,
    SQL_API_SQLMORERESULTS,    SQL_API_SQLENDTRAN,       SQL_API_SQLGETDIAGREC,
    SQL_API_SQLGETDIAGFIELD,
};

constexpr char kTruncated[] = "String data, right truncated";

// How a function passes text: 8-bit (taken as UTF-8) or UTF-16.
enum class Encoding { kAnsi, kWide };

std::string AnsiText(const SQLCHAR* text, SQLLEN length) {
  if (text == nullptr) return {};
  const auto* chars = reinterpret_cast<const char*>(text);
  if (length == SQL_NTS) return std::string(chars);
  return std::string(chars, static_cast<std::size_t>(std::max<SQLLEN>(length, 0)));
}

std::string InputText(Encoding encoding, const void* text, SQLLEN length) {
  return encoding == Encoding::kAnsi
             ? AnsiText(static_cast<const SQLCHAR*>(text), length)
             : scripted::Utf16ToUtf8(static_cast<const SQLWCHAR*>(text), length);
}

// Writes `text` to a buffer. `bufferLength` counts bytes, or characters when `lengthInChars` (as
// SQLGetDiagRecW and SQLDescribeColW count); the returned length counts the same way. True when
// the text had to be cut.
bool OutputText(Encoding encoding, std::string_view text, void* buffer, SQLLEN bufferLength,
                bool lengthInChars, SQLLEN& fullLength) {
  if (encoding == Encoding::kAnsi) {
    fullLength = static_cast<SQLLEN>(text.size());
    return scripted::CopyOut(text, static_cast<SQLCHAR*>(buffer), bufferLength) &&
           buffer != nullptr;
  }
  const std::u16string wide = scripted::Utf8ToUtf16(text);
  const SQLLEN unit = lengthInChars ? 1 : static_cast<SQLLEN>(sizeof(SQLWCHAR));
  fullLength = static_cast<SQLLEN>(wide.size()) * unit;
  return scripted::CopyOutWide(wide, static_cast<SQLWCHAR*>(buffer), bufferLength / unit) &&
         buffer != nullptr;
}

template <typename Length>
void StoreLength(Length* target, SQLLEN value) {
  if (target != nullptr) {
    *target = static_cast<Length>(
        std::min<SQLLEN>(value, static_cast<SQLLEN>(std::numeric_limits<Length>::max())));
  }
}

bool ValidLength(SQLLEN length) {
  return length >= 0 || length == SQL_NTS;
}

// Runs `body` with the handle's records cleared first; turns an exception into a record so that
// none crosses the C interface.
template <typename Body>
SQLRETURN Guarded(DiagArea& diag, Body&& body) {
  diag.Clear();
  SQLRETURN code = SQL_ERROR;
  try {
    code = body();
  } catch (const std::bad_alloc&) {
    code = diag.Error("HY001", "Memory allocation error");
  } catch (const std::exception& error) {
    code = diag.Error("HY000", std::string("scripted driver: ") + error.what());
  }
  diag.returnCode = code;
  return code;
}

DiagArea* DiagOf(SQLSMALLINT handleType, SQLHANDLE handle) {
  if (handle == nullptr) return nullptr;
  switch (handleType) {
    case SQL_HANDLE_ENV:
      return &static_cast<Environment*>(handle)->diag;
    case SQL_HANDLE_DBC:
      return &static_cast<Connection*>(handle)->diag;
    case SQL_HANDLE_STMT:
      return &static_cast<Statement*>(handle)->diag;
    default:
      return nullptr;
  }
}

// The class and subclass origin of a SQLSTATE: ODBC's own class is IM, and its own subclasses
// are those other than 000.
const char* OriginOf(std::string_view state, bool subclass) {
  if (subclass) return state.substr(2) == "000" ? "ISO 9075" : "ODBC 3.0";
  return state.substr(0, 2) == "IM" ? "ODBC 3.0" : "ISO 9075";
}

SQLRETURN Connect(SQLHDBC handle, Encoding encoding, const void* dsn, SQLSMALLINT dsnLength,
                  const void* user, SQLSMALLINT userLength) {
  // The password is never looked at, so that it cannot end up in the journal.
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(handle);
  return Guarded(connection.diag, [&]() -> SQLRETURN {
    if (dsn == nullptr) return connection.diag.Error("HY009", "Invalid use of null pointer");
    if (!ValidLength(dsnLength) || !ValidLength(userLength)) {
      return connection.diag.Error("HY090", "Invalid string or buffer length");
    }
    return connection.Connect(InputText(encoding, dsn, dsnLength),
                              InputText(encoding, user, userLength));
  });
}

SQLRETURN GetInfo(SQLHDBC handle, Encoding encoding, SQLUSMALLINT infoType, SQLPOINTER value,
                  SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  scripted::Trace("SQLGetInfo " + std::to_string(infoType));
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(handle);
  return Guarded(connection.diag, [&]() -> SQLRETURN {
    const std::optional<scripted::InfoValue> info = connection.Info(infoType);
    if (!info) return SQL_ERROR;
    if (const auto* text = std::get_if<std::string>(&*info)) {
      SQLLEN length = 0;
      const bool cut = OutputText(encoding, *text, value, bufferLength, false, length);
      StoreLength(stringLength, length);
      if (!cut) return SQL_SUCCESS;
      connection.diag.Add("01004", 0, kTruncated);
      return SQL_SUCCESS_WITH_INFO;
    }
    std::visit(
        [&](auto number) {
          if constexpr (!std::is_same_v<decltype(number), std::string>) {
            if (value != nullptr) std::memcpy(value, &number, sizeof number);
            StoreLength(stringLength, sizeof number);
          }
        },
        *info);
    return SQL_SUCCESS;
  });
}

SQLRETURN SetConnectAttr(SQLHDBC handle, Encoding encoding, SQLINTEGER attribute, SQLPOINTER value,
                         SQLINTEGER stringLength) {
  scripted::Trace("SQLSetConnectAttr " + std::to_string(attribute));
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(handle);
  return Guarded(connection.diag, [&]() -> SQLRETURN {
    switch (attribute) {
      case SQL_ATTR_CURRENT_CATALOG: {
        if (value == nullptr) return connection.diag.Error("HY009", "Invalid use of null pointer");
        // The length of a text attribute is in bytes, for the wide function too.
        const SQLLEN length = encoding == Encoding::kWide && stringLength != SQL_NTS
                                  ? stringLength / static_cast<SQLLEN>(sizeof(SQLWCHAR))
                                  : stringLength;
        connection.SetCatalog(InputText(encoding, value, length));
        return SQL_SUCCESS;
      }
      case SQL_ATTR_TRACEFILE:
      case SQL_ATTR_TRANSLATE_LIB:
        return SQL_SUCCESS;  // text attributes that the driver has no use for
      default:
        return connection.SetAttr(attribute, value);
    }
  });
}

SQLRETURN GetConnectAttr(SQLHDBC handle, Encoding encoding, SQLINTEGER attribute, SQLPOINTER value,
                         SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  scripted::Trace("SQLGetConnectAttr " + std::to_string(attribute));
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(handle);
  return Guarded(connection.diag, [&]() -> SQLRETURN {
    if (attribute != SQL_ATTR_CURRENT_CATALOG) {
      return connection.GetAttr(attribute, value, stringLength);
    }
    SQLLEN length = 0;
    const bool cut = OutputText(encoding, connection.catalog(), value, bufferLength, false, length);
    StoreLength(stringLength, length);
    if (!cut) return SQL_SUCCESS;
    connection.diag.Add("01004", 0, kTruncated);
    return SQL_SUCCESS_WITH_INFO;
  });
}

SQLRETURN SetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value) {
  scripted::Trace("SQLSetStmtAttr " + std::to_string(attribute));
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(handle);
  return Guarded(statement.diag, [&] { return statement.SetAttr(attribute, value); });
}

SQLRETURN GetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                      SQLINTEGER* stringLength) {
  scripted::Trace("SQLGetStmtAttr " + std::to_string(attribute));
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(handle);
  return Guarded(statement.diag, [&] { return statement.GetAttr(attribute, value, stringLength); });
}

SQLRETURN ExecDirect(SQLHSTMT handle, Encoding encoding, const void* text, SQLINTEGER length) {
  scripted::Trace(encoding == Encoding::kAnsi ? "SQLExecDirect" : "SQLExecDirectW");
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(handle);
  return Guarded(statement.diag, [&]() -> SQLRETURN {
    if (text == nullptr) return statement.diag.Error("HY009", "Invalid use of null pointer");
    if (!ValidLength(length)) {
      return statement.diag.Error("HY090", "Invalid string or buffer length");
    }
    return statement.ExecDirect(InputText(encoding, text, length));
  });
}

SQLRETURN DescribeCol(SQLHSTMT handle, Encoding encoding, SQLUSMALLINT column, void* name,
                      SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* dataType,
                      SQLULEN* columnSize, SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable) {
  scripted::Trace("SQLDescribeCol");
  if (handle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(handle);
  return Guarded(statement.diag, [&]() -> SQLRETURN {
    ColumnDescription description;
    const SQLRETURN code = statement.DescribeColumn(column, description);
    if (code != SQL_SUCCESS) return code;
    if (dataType != nullptr) *dataType = description.type;
    if (columnSize != nullptr) *columnSize = description.size;
    if (decimalDigits != nullptr) *decimalDigits = 0;
    if (nullable != nullptr) *nullable = SQL_NULLABLE_UNKNOWN;
    SQLLEN length = 0;
    const bool cut = OutputText(encoding, description.name, name, bufferLength, true, length);
    StoreLength(nameLength, length);
    if (!cut) return SQL_SUCCESS;
    statement.diag.Add("01004", 0, kTruncated);
    return SQL_SUCCESS_WITH_INFO;
  });
}

SQLRETURN GetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, Encoding encoding,
                     SQLSMALLINT recNumber, void* sqlState, SQLINTEGER* nativeError,
                     void* messageText, SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  scripted::Trace("SQLGetDiagRec " + std::to_string(handleType) + " " + std::to_string(recNumber) +
                  " " + std::to_string(bufferLength));
  const DiagArea* diag = DiagOf(handleType, handle);
  if (diag == nullptr) return SQL_INVALID_HANDLE;
  if (recNumber <= 0 || bufferLength < 0) return SQL_ERROR;
  if (static_cast<std::size_t>(recNumber) > diag->records.size()) return SQL_NO_DATA;
  const scripted::DiagRecord& record = diag->records[static_cast<std::size_t>(recNumber) - 1];
  try {
    SQLLEN ignored = 0;
    if (sqlState != nullptr) OutputText(encoding, record.state, sqlState, 6, true, ignored);
    if (nativeError != nullptr) *nativeError = record.native;
    SQLLEN length = 0;
    const bool cut = OutputText(encoding, record.message, messageText, bufferLength, true, length);
    StoreLength(textLength, length);
    return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
  } catch (...) {
    return SQL_ERROR;
  }
}

SQLRETURN GetDiagField(SQLSMALLINT handleType, SQLHANDLE handle, Encoding encoding,
                       SQLSMALLINT recNumber, SQLSMALLINT diagIdentifier, SQLPOINTER diagInfo,
                       SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  scripted::Trace("SQLGetDiagField " + std::to_string(handleType) + " " +
                  std::to_string(recNumber) + " " + std::to_string(diagIdentifier));
  const DiagArea* diag = DiagOf(handleType, handle);
  if (diag == nullptr) return SQL_INVALID_HANDLE;
  const auto text = [&](std::string_view value) -> SQLRETURN {
    SQLLEN length = 0;
    const bool cut = OutputText(encoding, value, diagInfo, bufferLength, false, length);
    StoreLength(stringLength, length);
    return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
  };
  const auto store = [&](auto value) -> SQLRETURN {
    if (diagInfo != nullptr) std::memcpy(diagInfo, &value, sizeof value);
    return SQL_SUCCESS;
  };

  try {
    // Header fields.
    switch (diagIdentifier) {
      case SQL_DIAG_NUMBER:
        return store(static_cast<SQLINTEGER>(diag->records.size()));
      case SQL_DIAG_RETURNCODE:
        return store(static_cast<SQLRETURN>(diag->returnCode));
      case SQL_DIAG_ROW_COUNT:
      case SQL_DIAG_CURSOR_ROW_COUNT: {
        if (handleType != SQL_HANDLE_STMT) return SQL_ERROR;
        const auto& statement = *static_cast<Statement*>(handle);
        return store(static_cast<SQLLEN>(diagIdentifier == SQL_DIAG_ROW_COUNT
                                             ? statement.rowCountValue()
                                             : statement.CursorRowCount()));
      }
      case SQL_DIAG_DYNAMIC_FUNCTION:
        if (handleType != SQL_HANDLE_STMT) return SQL_ERROR;
        return text("");
      case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
        if (handleType != SQL_HANDLE_STMT) return SQL_ERROR;
        return store(static_cast<SQLINTEGER>(SQL_DIAG_UNKNOWN_STATEMENT));
      default:
        break;
    }

    // Record fields.
    if (recNumber <= 0) return SQL_ERROR;
    if (static_cast<std::size_t>(recNumber) > diag->records.size()) return SQL_NO_DATA;
    const scripted::DiagRecord& record = diag->records[static_cast<std::size_t>(recNumber) - 1];
    switch (diagIdentifier) {
      case SQL_DIAG_SQLSTATE:
        return text(record.state);
      case SQL_DIAG_NATIVE:
        return store(static_cast<SQLINTEGER>(record.native));
      case SQL_DIAG_MESSAGE_TEXT:
        return text(record.message);
      case SQL_DIAG_CLASS_ORIGIN:
        return text(OriginOf(record.state, false));
      case SQL_DIAG_SUBCLASS_ORIGIN:
        return text(OriginOf(record.state, true));
      case SQL_DIAG_CONNECTION_NAME:
        return text("");
      case SQL_DIAG_SERVER_NAME:
        if (handleType == SQL_HANDLE_DBC) return text(static_cast<Connection*>(handle)->dsn());
        if (handleType == SQL_HANDLE_STMT) {
          return text(static_cast<Statement*>(handle)->connection().dsn());
        }
        return text("");
      case SQL_DIAG_COLUMN_NUMBER:
        return store(static_cast<SQLINTEGER>(SQL_COLUMN_NUMBER_UNKNOWN));
      case SQL_DIAG_ROW_NUMBER:
        return store(static_cast<SQLLEN>(SQL_ROW_NUMBER_UNKNOWN));
      default:
        return SQL_ERROR;
    }
  } catch (...) {
    return SQL_ERROR;
  }
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT HandleType, SQLHANDLE InputHandle,
                                 SQLHANDLE* OutputHandle) {
  scripted::Trace("SQLAllocHandle " + std::to_string(HandleType));
  if (OutputHandle == nullptr) return SQL_ERROR;
  *OutputHandle = SQL_NULL_HANDLE;
  try {
    switch (HandleType) {
      case SQL_HANDLE_ENV:
        *OutputHandle = scripted::AllocEnvironment();
        return SQL_SUCCESS;
      case SQL_HANDLE_DBC: {
        if (InputHandle == nullptr) return SQL_INVALID_HANDLE;
        auto& environment = *static_cast<Environment*>(InputHandle);
        environment.diag.Clear();
        *OutputHandle = environment.AllocConnection();
        return SQL_SUCCESS;
      }
      case SQL_HANDLE_STMT: {
        if (InputHandle == nullptr) return SQL_INVALID_HANDLE;
        auto& connection = *static_cast<Connection*>(InputHandle);
        return Guarded(connection.diag, [&]() -> SQLRETURN {
          Statement* statement = connection.AllocStatement();
          if (statement == nullptr) return SQL_ERROR;
          *OutputHandle = statement;
          return SQL_SUCCESS;
        });
      }
      case SQL_HANDLE_DESC: {
        if (InputHandle == nullptr) return SQL_INVALID_HANDLE;
        auto& connection = *static_cast<Connection*>(InputHandle);
        connection.diag.Clear();
        return connection.diag.Error("HYC00", "Optional feature not implemented");
      }
      default:
        return SQL_ERROR;
    }
  } catch (...) {
    return SQL_ERROR;
  }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT HandleType, SQLHANDLE Handle) {
  scripted::Trace("SQLFreeHandle " + std::to_string(HandleType));
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  try {
    switch (HandleType) {
      case SQL_HANDLE_ENV: {
        auto* environment = static_cast<Environment*>(Handle);
        environment->diag.Clear();
        if (!scripted::FreeEnvironment(environment)) {
          return environment->diag.Error("HY010", "Function sequence error");
        }
        return SQL_SUCCESS;
      }
      case SQL_HANDLE_DBC: {
        auto* connection = static_cast<Connection*>(Handle);
        connection->diag.Clear();
        if (!connection->environment().FreeConnection(connection)) {
          return connection->diag.Error("HY010", "Function sequence error");
        }
        return SQL_SUCCESS;
      }
      case SQL_HANDLE_STMT: {
        auto* statement = static_cast<Statement*>(Handle);
        statement->connection().FreeStatement(statement);
        return SQL_SUCCESS;
      }
      default:
        return SQL_ERROR;
    }
  } catch (...) {
    return SQL_ERROR;
  }
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                SQLINTEGER /*StringLength*/) {
  scripted::Trace("SQLSetEnvAttr " + std::to_string(Attribute));
  if (EnvironmentHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& environment = *static_cast<Environment*>(EnvironmentHandle);
  return Guarded(environment.diag, [&] { return environment.SetAttr(Attribute, Value); });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV EnvironmentHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                SQLINTEGER /*BufferLength*/, SQLINTEGER* StringLength) {
  scripted::Trace("SQLGetEnvAttr " + std::to_string(Attribute));
  if (EnvironmentHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& environment = *static_cast<Environment*>(EnvironmentHandle);
  return Guarded(environment.diag,
                 [&] { return environment.GetAttr(Attribute, Value, StringLength); });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC ConnectionHandle, SQLCHAR* ServerName, SQLSMALLINT NameLength1,
                             SQLCHAR* UserName, SQLSMALLINT NameLength2,
                             SQLCHAR* /*Authentication*/, SQLSMALLINT /*NameLength3*/) {
  scripted::Trace("SQLConnect");
  return Connect(ConnectionHandle, Encoding::kAnsi, ServerName, NameLength1, UserName, NameLength2);
}

SQLRETURN SQL_API SQLConnectW(SQLHDBC ConnectionHandle, SQLWCHAR* ServerName,
                              SQLSMALLINT NameLength1, SQLWCHAR* UserName, SQLSMALLINT NameLength2,
                              SQLWCHAR* /*Authentication*/, SQLSMALLINT /*NameLength3*/) {
  scripted::Trace("SQLConnectW");
  return Connect(ConnectionHandle, Encoding::kWide, ServerName, NameLength1, UserName, NameLength2);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC ConnectionHandle) {
  scripted::Trace("SQLDisconnect");
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(ConnectionHandle);
  return Guarded(connection.diag, [&] { return connection.Disconnect(); });
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType, SQLPOINTER InfoValue,
                             SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  return GetInfo(ConnectionHandle, Encoding::kAnsi, InfoType, InfoValue, BufferLength,
                 StringLength);
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC ConnectionHandle, SQLUSMALLINT InfoType, SQLPOINTER InfoValue,
                              SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  return GetInfo(ConnectionHandle, Encoding::kWide, InfoType, InfoValue, BufferLength,
                 StringLength);
}

SQLRETURN SQL_API SQLGetFunctions(SQLHDBC ConnectionHandle, SQLUSMALLINT FunctionId,
                                  SQLUSMALLINT* Supported) {
  scripted::Trace("SQLGetFunctions " + std::to_string(FunctionId));
  if (ConnectionHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& connection = *static_cast<Connection*>(ConnectionHandle);
  return Guarded(connection.diag, [&]() -> SQLRETURN {
    if (Supported == nullptr) return connection.diag.Error("HY009", "Invalid use of null pointer");
    if (FunctionId == SQL_API_ODBC3_ALL_FUNCTIONS) {
      std::fill_n(Supported, SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, SQLUSMALLINT{0});
      for (const SQLUSMALLINT id : kSupportedFunctions) {
        Supported[id >> 4] = static_cast<SQLUSMALLINT>(Supported[id >> 4] | (1u << (id & 0x000F)));
      }
      return SQL_SUCCESS;
    }
    if (FunctionId == SQL_API_ALL_FUNCTIONS) {
      std::fill_n(Supported, 100, SQLUSMALLINT{SQL_FALSE});
      for (const SQLUSMALLINT id : kSupportedFunctions) {
        if (id < 100) Supported[id] = SQL_TRUE;
      }
      return SQL_SUCCESS;
    }
    const bool found = std::find(kSupportedFunctions.begin(), kSupportedFunctions.end(),
                                 FunctionId) != kSupportedFunctions.end();
    *Supported = found ? SQL_TRUE : SQL_FALSE;
    return SQL_SUCCESS;
  });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                    SQLPOINTER Value, SQLINTEGER StringLength) {
  return SetConnectAttr(ConnectionHandle, Encoding::kAnsi, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                     SQLPOINTER Value, SQLINTEGER StringLength) {
  return SetConnectAttr(ConnectionHandle, Encoding::kWide, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                    SQLPOINTER Value, SQLINTEGER BufferLength,
                                    SQLINTEGER* StringLength) {
  return GetConnectAttr(ConnectionHandle, Encoding::kAnsi, Attribute, Value, BufferLength,
                        StringLength);
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC ConnectionHandle, SQLINTEGER Attribute,
                                     SQLPOINTER Value, SQLINTEGER BufferLength,
                                     SQLINTEGER* StringLength) {
  return GetConnectAttr(ConnectionHandle, Encoding::kWide, Attribute, Value, BufferLength,
                        StringLength);
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                 SQLINTEGER /*StringLength*/) {
  return SetStmtAttr(StatementHandle, Attribute, Value);
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                  SQLINTEGER /*StringLength*/) {
  return SetStmtAttr(StatementHandle, Attribute, Value);
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                 SQLINTEGER /*BufferLength*/, SQLINTEGER* StringLength) {
  return GetStmtAttr(StatementHandle, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT StatementHandle, SQLINTEGER Attribute, SQLPOINTER Value,
                                  SQLINTEGER /*BufferLength*/, SQLINTEGER* StringLength) {
  return GetStmtAttr(StatementHandle, Attribute, Value, StringLength);
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT StatementHandle, SQLCHAR* StatementText,
                                SQLINTEGER TextLength) {
  return ExecDirect(StatementHandle, Encoding::kAnsi, StatementText, TextLength);
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT StatementHandle, SQLWCHAR* StatementText,
                                 SQLINTEGER TextLength) {
  return ExecDirect(StatementHandle, Encoding::kWide, StatementText, TextLength);
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT StatementHandle, SQLSMALLINT* ColumnCount) {
  scripted::Trace("SQLNumResultCols");
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&] { return statement.NumResultCols(ColumnCount); });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                 SQLCHAR* ColumnName, SQLSMALLINT BufferLength,
                                 SQLSMALLINT* NameLength, SQLSMALLINT* DataType,
                                 SQLULEN* ColumnSize, SQLSMALLINT* DecimalDigits,
                                 SQLSMALLINT* Nullable) {
  return DescribeCol(StatementHandle, Encoding::kAnsi, ColumnNumber, ColumnName, BufferLength,
                     NameLength, DataType, ColumnSize, DecimalDigits, Nullable);
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                                  SQLWCHAR* ColumnName, SQLSMALLINT BufferLength,
                                  SQLSMALLINT* NameLength, SQLSMALLINT* DataType,
                                  SQLULEN* ColumnSize, SQLSMALLINT* DecimalDigits,
                                  SQLSMALLINT* Nullable) {
  return DescribeCol(StatementHandle, Encoding::kWide, ColumnNumber, ColumnName, BufferLength,
                     NameLength, DataType, ColumnSize, DecimalDigits, Nullable);
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT StatementHandle, SQLLEN* RowCount) {
  scripted::Trace("SQLRowCount");
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&] { return statement.RowCount(RowCount); });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT StatementHandle) {
  scripted::Trace("SQLFetch");
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&] { return statement.Fetch(); });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT StatementHandle, SQLUSMALLINT ColumnNumber,
                             SQLSMALLINT TargetType, SQLPOINTER TargetValue, SQLLEN BufferLength,
                             SQLLEN* StrLen_or_Ind) {
  scripted::Trace("SQLGetData " + std::to_string(ColumnNumber) + " " + std::to_string(TargetType));
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&] {
    return statement.GetData(ColumnNumber, TargetType, TargetValue, BufferLength, StrLen_or_Ind);
  });
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT StatementHandle, SQLUSMALLINT Option) {
  scripted::Trace("SQLFreeStmt " + std::to_string(Option));
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto* statement = static_cast<Statement*>(StatementHandle);
  if (Option == SQL_DROP) {
    try {
      statement->connection().FreeStatement(statement);
      return SQL_SUCCESS;
    } catch (...) {
      return SQL_ERROR;
    }
  }
  return Guarded(statement->diag, [&]() -> SQLRETURN {
    switch (Option) {
      case SQL_CLOSE:
        return statement->CloseCursor(false);
      case SQL_UNBIND:
      case SQL_RESET_PARAMS:
        return SQL_SUCCESS;
      default:
        return statement->diag.Error("HY092", "Invalid attribute/option identifier");
    }
  });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT StatementHandle) {
  scripted::Trace("SQLCloseCursor");
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&] { return statement.CloseCursor(true); });
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT StatementHandle) {
  // No tracing and no touching of the records: this may run in a signal handler or on another
  // thread while the statement executes.
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  try {
    return static_cast<Statement*>(StatementHandle)->Cancel();
  } catch (...) {
    return SQL_ERROR;
  }
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT StatementHandle) {
  scripted::Trace("SQLMoreResults");
  if (StatementHandle == nullptr) return SQL_INVALID_HANDLE;
  auto& statement = *static_cast<Statement*>(StatementHandle);
  return Guarded(statement.diag, [&]() -> SQLRETURN {
    statement.CloseCursor(false);
    return SQL_NO_DATA;
  });
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT CompletionType) {
  scripted::Trace("SQLEndTran " + std::to_string(HandleType));
  if (Handle == nullptr) return SQL_INVALID_HANDLE;
  if (HandleType == SQL_HANDLE_ENV) return SQL_SUCCESS;  // the driver manager asks each connection
  if (HandleType != SQL_HANDLE_DBC) return SQL_ERROR;
  auto& connection = *static_cast<Connection*>(Handle);
  return Guarded(connection.diag, [&] { return connection.EndTran(CompletionType); });
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                SQLCHAR* Sqlstate, SQLINTEGER* NativeError, SQLCHAR* MessageText,
                                SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
  return GetDiagRec(HandleType, Handle, Encoding::kAnsi, RecNumber, Sqlstate, NativeError,
                    MessageText, BufferLength, TextLength);
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                 SQLWCHAR* Sqlstate, SQLINTEGER* NativeError, SQLWCHAR* MessageText,
                                 SQLSMALLINT BufferLength, SQLSMALLINT* TextLength) {
  return GetDiagRec(HandleType, Handle, Encoding::kWide, RecNumber, Sqlstate, NativeError,
                    MessageText, BufferLength, TextLength);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                  SQLSMALLINT DiagIdentifier, SQLPOINTER DiagInfo,
                                  SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  return GetDiagField(HandleType, Handle, Encoding::kAnsi, RecNumber, DiagIdentifier, DiagInfo,
                      BufferLength, StringLength);
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT HandleType, SQLHANDLE Handle, SQLSMALLINT RecNumber,
                                   SQLSMALLINT DiagIdentifier, SQLPOINTER DiagInfo,
                                   SQLSMALLINT BufferLength, SQLSMALLINT* StringLength) {
  return GetDiagField(HandleType, Handle, Encoding::kWide, RecNumber, DiagIdentifier, DiagInfo,
                      BufferLength, StringLength);
}

}  // extern "C"
