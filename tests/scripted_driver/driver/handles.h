// The handles of the scripted ODBC driver and what they do; odbc_api.cpp maps the ODBC entry
// points onto them.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "fixture.h"
#include "journal.h"
#include "text.h"

namespace scripted {

// The diagnostics of one handle: the records of the last function called on it.
struct DiagArea {
  SQLRETURN returnCode = SQL_SUCCESS;
  std::vector<DiagRecord> records;

  void Clear() {
    returnCode = SQL_SUCCESS;
    records.clear();
  }
  void Add(std::string_view state, std::int32_t native, std::string_view message) {
    records.push_back(DiagRecord{std::string(state), native, std::string(message)});
  }
  // Adds a record and returns SQL_ERROR.
  SQLRETURN Error(std::string_view state, std::string_view message) {
    Add(state, 0, message);
    return SQL_ERROR;
  }
};

class Connection;

struct ColumnDescription {
  std::string name;
  SQLSMALLINT type = SQL_INTEGER;
  SQLULEN size = 0;
};

// The answer of SQLGetInfo: a text or a number of 16 or 32 bits.
using InfoValue = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

class Statement {
 public:
  Statement(Connection& connection, int number);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int number() const { return number_; }
  Connection& connection() const { return connection_; }

  SQLRETURN ExecDirect(const std::string& text);
  SQLRETURN Fetch();
  SQLRETURN GetData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                    SQLLEN bufferLength, SQLLEN* indicator);
  SQLRETURN NumResultCols(SQLSMALLINT* count);
  SQLRETURN DescribeColumn(SQLUSMALLINT column, ColumnDescription& description);
  SQLRETURN RowCount(SQLLEN* count);
  // SQLCloseCursor wants an open cursor; SQLFreeStmt(SQL_CLOSE) and SQLMoreResults do not.
  SQLRETURN CloseCursor(bool mustBeOpen);
  // Safe to call from another thread, and, while the statement executes, from a signal handler:
  // it then only sets an atomic flag.
  SQLRETURN Cancel();
  SQLRETURN SetAttr(SQLINTEGER attribute, SQLPOINTER value);
  SQLRETURN GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength);

  std::int64_t CursorRowCount() const;
  SQLLEN rowCountValue() const { return rowCount_; }

  DiagArea diag;

 private:
  enum class ExecState { kIdle, kExecuting, kCancelRequested };
  enum class WaitResult { kDone, kCanceled, kTimedOut };

  struct ColumnRead {
    bool done = false;
    std::size_t offset = 0;  // bytes of a text already returned
  };

  WaitResult Wait(const Answer& answer) const;
  SQLRETURN Respond(const Answer& answer, std::string& result);
  void Log(std::string_view event, std::string_view detail = {}) const;

  Connection& connection_;
  const int number_;
  std::atomic<ExecState> execState_{ExecState::kIdle};
  const Answer* result_ = nullptr;  // the answer whose result set is open
  std::size_t nextRow_ = 0;
  std::int64_t fetchCalls_ = 0;
  bool fetchFailed_ = false;
  std::optional<std::size_t> currentRow_;
  std::vector<ColumnRead> reads_;
  SQLLEN rowCount_ = -1;
  std::map<SQLINTEGER, SQLULEN> attributes_;
  char descriptors_[4] = {};  // stand-ins for the four implicit descriptor handles
};

class Environment;

class Connection {
 public:
  explicit Connection(Environment& environment) : environment_(environment) {}
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  Environment& environment() const { return environment_; }

  SQLRETURN Connect(const std::string& dsn, const std::string& user);
  SQLRETURN Disconnect();
  bool connected() const { return connected_; }

  // Returns nullptr with a record in `diag` when the statement cannot be made.
  Statement* AllocStatement();
  void FreeStatement(Statement* statement);

  // The answer to the next execution of `text`: nullptr when no rule matches.
  const Answer* PickAnswer(std::string_view text);

  void Log(std::string_view line) const { journal_.Write(line); }

  // Attributes with a number value; SQL_ATTR_CURRENT_CATALOG is text, see catalog().
  SQLRETURN SetAttr(SQLINTEGER attribute, SQLPOINTER value);
  SQLRETURN GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength);
  void SetCatalog(std::string catalog) { catalog_ = std::move(catalog); }
  const std::string& catalog() const { return catalog_; }
  // Records HY096 and returns nothing for an unknown information type.
  std::optional<InfoValue> Info(SQLUSMALLINT infoType);
  SQLRETURN EndTran(SQLSMALLINT completionType);

  const std::string& dsn() const { return dsn_; }

  DiagArea diag;

 private:
  // Ends a failed connect: the records, the journal line, nothing kept.
  SQLRETURN FailConnect(std::vector<DiagRecord> records);
  void DropStatements();

  Environment& environment_;
  std::mutex mutex_;  // guards statements_, executions_ and nextStatement_
  bool connected_ = false;
  std::string dsn_;
  std::string user_;
  Journal journal_;
  std::optional<Fixture> fixture_;
  std::vector<std::size_t> executions_;  // per rule
  int nextStatement_ = 1;
  std::vector<std::unique_ptr<Statement>> statements_;
  std::map<SQLINTEGER, SQLULEN> attributes_;
  std::string catalog_ = "scripted";
};

class Environment {
 public:
  Environment() = default;
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  Connection* AllocConnection();
  // False when the connection is still connected.
  bool FreeConnection(Connection* connection);
  bool HasConnections();

  SQLRETURN SetAttr(SQLINTEGER attribute, SQLPOINTER value);
  SQLRETURN GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength);

  DiagArea diag;

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::map<SQLINTEGER, SQLULEN> attributes_;
};

// Every environment of the process; the driver owns all handles through it.
Environment* AllocEnvironment();
bool FreeEnvironment(Environment* environment);

// Appends a line to the file named by SCRIPTED_ODBC_TRACE, if set: a record of every entry
// point that the driver manager calls, to find out what it needs of a driver.
void Trace(std::string_view line);

}  // namespace scripted
