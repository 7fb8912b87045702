#include "handles.h"

#include <odbcinst.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>
#include <type_traits>
#include <utility>

namespace scripted {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kNoRuleMessage[] = "scripted driver: no rule for statement";

struct Registry {
  std::mutex mutex;
  std::vector<std::unique_ptr<Environment>> environments;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Removes the element that owns `item`; false when it is not there.
template <typename T>
bool EraseOwned(std::vector<std::unique_ptr<T>>& owners, const T* item) {
  const auto found =
      std::find_if(owners.begin(), owners.end(),
                   [item](const std::unique_ptr<T>& owner) { return owner.get() == item; });
  if (found == owners.end()) return false;
  owners.erase(found);
  return true;
}

std::string ProfileString(const std::string& section, const char* entry) {
  char buffer[4096] = {};
  SQLGetPrivateProfileString(section.c_str(), entry, "", buffer, sizeof buffer, "odbc.ini");
  return buffer;
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSuccess:
      return "ok";
    case Outcome::kInfo:
      return "info";
    case Outcome::kError:
      return "error";
    case Outcome::kNoData:
      return "no-data";
  }
  return "error";
}

SQLRETURN ReturnCodeOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSuccess:
      return SQL_SUCCESS;
    case Outcome::kInfo:
      return SQL_SUCCESS_WITH_INFO;
    case Outcome::kError:
      return SQL_ERROR;
    case Outcome::kNoData:
      return SQL_NO_DATA;
  }
  return SQL_ERROR;
}

// Parses a whole text, spaces around allowed, as a signed integer.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

template <typename T>
void StoreInteger(SQLPOINTER target, SQLLEN* indicator, std::int64_t value) {
  const T converted = static_cast<T>(value);
  std::memcpy(target, &converted, sizeof converted);
  if (indicator != nullptr) *indicator = static_cast<SQLLEN>(sizeof converted);
}

template <typename T>
bool FitsIn(std::int64_t value) {
  if constexpr (std::is_signed_v<T>) {
    return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
  } else {
    return value >= 0 && static_cast<std::uint64_t>(value) <= std::numeric_limits<T>::max();
  }
}

template <typename T>
void StoreScalar(SQLPOINTER target, T value) {
  if (target != nullptr) std::memcpy(target, &value, sizeof value);
}

Journal& TraceFile() {
  static Journal journal = [] {
    Journal file;
    if (const char* path = std::getenv("SCRIPTED_ODBC_TRACE"); path != nullptr && *path != '\0') {
      file.Open(path);
    }
    return file;
  }();
  return journal;
}

}  // namespace

void Trace(std::string_view line) {
  TraceFile().Write(line);
}

// ---------------------------------------------------------------------------------------------
// Environment

Environment* AllocEnvironment() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.environments.push_back(std::make_unique<Environment>());
  return registry.environments.back().get();
}

bool FreeEnvironment(Environment* environment) {
  if (environment->HasConnections()) return false;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return EraseOwned(registry.environments, environment);
}

Connection* Environment::AllocConnection() {
  std::lock_guard lock(mutex_);
  connections_.push_back(std::make_unique<Connection>(*this));
  return connections_.back().get();
}

bool Environment::FreeConnection(Connection* connection) {
  if (connection->connected()) return false;
  std::lock_guard lock(mutex_);
  return EraseOwned(connections_, connection);
}

bool Environment::HasConnections() {
  std::lock_guard lock(mutex_);
  return !connections_.empty();
}

SQLRETURN Environment::SetAttr(SQLINTEGER attribute, SQLPOINTER value) {
  const auto number = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
  if (attribute == SQL_ATTR_ODBC_VERSION && number != SQL_OV_ODBC2 && number != SQL_OV_ODBC3 &&
      number != SQL_OV_ODBC3_80) {
    return diag.Error("HY024", "Invalid attribute value");
  }
  std::lock_guard lock(mutex_);
  attributes_[attribute] = number;
  return SQL_SUCCESS;
}

SQLRETURN Environment::GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength) {
  std::lock_guard lock(mutex_);
  const auto stored = attributes_.find(attribute);
  SQLUINTEGER result = 0;
  if (stored != attributes_.end()) {
    result = static_cast<SQLUINTEGER>(stored->second);
  } else if (attribute == SQL_ATTR_ODBC_VERSION) {
    result = SQL_OV_ODBC3;
  } else if (attribute == SQL_ATTR_OUTPUT_NTS) {
    result = SQL_TRUE;
  } else if (attribute == SQL_ATTR_CONNECTION_POOLING) {
    result = SQL_CP_OFF;
  } else if (attribute == SQL_ATTR_CP_MATCH) {
    result = SQL_CP_STRICT_MATCH;
  } else {
    return diag.Error("HY092", "Invalid attribute/option identifier");
  }
  StoreScalar(value, result);
  if (stringLength != nullptr) *stringLength = sizeof result;
  return SQL_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// Connection

Connection::~Connection() {
  DropStatements();
}

SQLRETURN Connection::FailConnect(std::vector<DiagRecord> records) {
  diag.records = std::move(records);
  Log("CONNECT-RESULT error");
  journal_.Close();
  fixture_.reset();
  return SQL_ERROR;
}

SQLRETURN Connection::Connect(const std::string& dsn, const std::string& user) {
  if (connected_) return diag.Error("08002", "Connection name in use");
  dsn_ = dsn;
  user_ = user;

  const std::string journalPath = ProfileString(dsn, "Journal");
  if (!journalPath.empty()) {
    const std::string problem = journal_.Open(journalPath);
    if (!problem.empty()) {
      return diag.Error("HY000",
                        "scripted driver: cannot open journal '" + journalPath + "': " + problem);
    }
  }
  Log("CONNECT dsn=" + EscapeForJournal(dsn) + " user=" + EscapeForJournal(user));

  const std::string fixturePath = ProfileString(dsn, "Fixture");
  if (fixturePath.empty()) {
    return FailConnect(
        {{"HY000", 0, "scripted driver: data source '" + dsn + "' has no Fixture entry"}});
  }
  std::ifstream file(fixturePath, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  if (!file) {
    return FailConnect(
        {{"HY000", 0, "scripted driver: cannot read fixture '" + fixturePath + "'"}});
  }
  try {
    fixture_ = ParseFixture(content.str());
  } catch (const FixtureError& error) {
    return FailConnect(
        {{"HY000", 0, "scripted driver: fixture '" + fixturePath + "' " + error.what()}});
  }

  const ConnectScript& script = fixture_->connect;
  if (script.user && *script.user != user) {
    return FailConnect({{"28000", 18456, "scripted driver: login failed for user '" + user + "'"}});
  }
  const scripted::Answer& answer = script.answer;
  if (answer.outcome == Outcome::kError) return FailConnect(answer.records);
  diag.records = answer.records;
  executions_.assign(fixture_->rules.size(), 0);
  nextStatement_ = 1;
  connected_ = true;
  Log(std::string("CONNECT-RESULT ") + OutcomeName(answer.outcome));
  return ReturnCodeOf(answer.outcome);
}

void Connection::DropStatements() {
  std::vector<std::unique_ptr<Statement>> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(statements_);
  }
  for (const auto& statement : dropped) {
    Log("UNFREED STMT #" + std::to_string(statement->number()));
  }
}

SQLRETURN Connection::Disconnect() {
  if (!connected_) return diag.Error("08003", "Connection not open");
  DropStatements();
  Log("DISCONNECT");
  connected_ = false;
  journal_.Close();
  fixture_.reset();
  executions_.clear();
  return SQL_SUCCESS;
}

Statement* Connection::AllocStatement() {
  if (!connected_) {
    diag.Error("08003", "Connection not open");
    return nullptr;
  }
  Statement* statement = nullptr;
  {
    std::lock_guard lock(mutex_);
    statements_.push_back(std::make_unique<Statement>(*this, nextStatement_++));
    statement = statements_.back().get();
  }
  Log("ALLOC STMT #" + std::to_string(statement->number()));
  return statement;
}

void Connection::FreeStatement(Statement* statement) {
  const int number = statement->number();
  bool erased = false;
  {
    std::lock_guard lock(mutex_);
    erased = EraseOwned(statements_, statement);
  }
  if (erased) Log("FREE STMT #" + std::to_string(number));
}

const Answer* Connection::PickAnswer(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (!fixture_) return nullptr;
  const std::optional<std::size_t> rule = fixture_->FindRule(text);
  if (!rule) return nullptr;
  const std::size_t execution = ++executions_[*rule];
  return &fixture_->rules[*rule].AnswerForExecution(execution);
}

SQLRETURN Connection::SetAttr(SQLINTEGER attribute, SQLPOINTER value) {
  attributes_[attribute] = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
  return SQL_SUCCESS;
}

SQLRETURN Connection::GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength) {
  SQLUINTEGER result = 0;
  const auto stored = attributes_.find(attribute);
  if (stored != attributes_.end()) {
    result = static_cast<SQLUINTEGER>(stored->second);
  } else {
    switch (attribute) {
      case SQL_ATTR_AUTOCOMMIT:
        result = SQL_AUTOCOMMIT_ON;
        break;
      case SQL_ATTR_ACCESS_MODE:
        result = SQL_MODE_READ_WRITE;
        break;
      case SQL_ATTR_TXN_ISOLATION:
        result = SQL_TXN_READ_COMMITTED;
        break;
      case SQL_ATTR_LOGIN_TIMEOUT:
      case SQL_ATTR_CONNECTION_TIMEOUT:
      case SQL_ATTR_ASYNC_ENABLE:
      case SQL_ATTR_TRACE:
        result = 0;
        break;
      case SQL_ATTR_CONNECTION_DEAD:
        result = connected_ ? SQL_CD_FALSE : SQL_CD_TRUE;
        break;
      case SQL_ATTR_PACKET_SIZE:
        result = 4096;
        break;
      default:
        return diag.Error("HY092", "Invalid attribute/option identifier");
    }
  }
  StoreScalar(value, result);
  if (stringLength != nullptr) *stringLength = sizeof result;
  return SQL_SUCCESS;
}

SQLRETURN Connection::EndTran(SQLSMALLINT completionType) {
  if (!connected_) return diag.Error("08003", "Connection not open");
  if (completionType != SQL_COMMIT && completionType != SQL_ROLLBACK) {
    return diag.Error("HY012", "Invalid transaction operation code");
  }
  Log(completionType == SQL_COMMIT ? "COMMIT" : "ROLLBACK");
  return SQL_SUCCESS;
}

std::optional<InfoValue> Connection::Info(SQLUSMALLINT infoType) {
  const auto text = [](std::string_view answer) { return InfoValue(std::string(answer)); };
  const auto small = [](SQLUSMALLINT answer) { return InfoValue(answer); };
  const auto large = [](SQLUINTEGER answer) { return InfoValue(answer); };

  switch (infoType) {
    case SQL_DRIVER_NAME:
      return text("libscriptedodbc.so");
    case SQL_DRIVER_VER:
    case SQL_DBMS_VER:
      return text("01.00.0000");
    case SQL_DRIVER_ODBC_VER:
      return text("03.52");
    case SQL_DBMS_NAME:
      return text("Scripted");
    case SQL_DATA_SOURCE_NAME:
      return text(dsn_);
    case SQL_SERVER_NAME:
      return text("scripted");
    case SQL_DATABASE_NAME:
      return text(catalog_);
    case SQL_USER_NAME:
      return text(user_);
    case SQL_IDENTIFIER_QUOTE_CHAR:
      return text("\"");
    case SQL_SEARCH_PATTERN_ESCAPE:
      return text("\\");
    case SQL_CATALOG_NAME_SEPARATOR:
      return text(".");
    case SQL_CATALOG_TERM:
      return text("database");
    case SQL_SCHEMA_TERM:
      return text("schema");
    case SQL_TABLE_TERM:
      return text("table");
    case SQL_PROCEDURE_TERM:
      return text("procedure");
    case SQL_KEYWORDS:
    case SQL_SPECIAL_CHARACTERS:
    case SQL_COLLATION_SEQ:
      return text("");
    case SQL_DATA_SOURCE_READ_ONLY:
    case SQL_ACCESSIBLE_PROCEDURES:
    case SQL_MULT_RESULT_SETS:
    case SQL_NEED_LONG_DATA_LEN:
    case SQL_ORDER_BY_COLUMNS_IN_SELECT:
    case SQL_PROCEDURES:
    case SQL_ROW_UPDATES:
    case SQL_INTEGRITY:
    case SQL_DESCRIBE_PARAMETER:
    case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
      return text("N");
    case SQL_ACCESSIBLE_TABLES:
    case SQL_MULTIPLE_ACTIVE_TXN:
    case SQL_EXPRESSIONS_IN_ORDERBY:
    case SQL_COLUMN_ALIAS:
    case SQL_LIKE_ESCAPE_CLAUSE:
    case SQL_OUTER_JOINS:
      return text("Y");
    case SQL_MAX_DRIVER_CONNECTIONS:
    case SQL_MAX_CONCURRENT_ACTIVITIES:  // no limit: several statements may be active at once
    case SQL_ACTIVE_ENVIRONMENTS:
    case SQL_MAX_COLUMNS_IN_GROUP_BY:
    case SQL_MAX_COLUMNS_IN_INDEX:
    case SQL_MAX_COLUMNS_IN_ORDER_BY:
    case SQL_MAX_COLUMNS_IN_SELECT:
    case SQL_MAX_COLUMNS_IN_TABLE:
    case SQL_MAX_TABLES_IN_SELECT:
      return small(0);
    case SQL_MAX_COLUMN_NAME_LEN:
    case SQL_MAX_CURSOR_NAME_LEN:
    case SQL_MAX_SCHEMA_NAME_LEN:
    case SQL_MAX_CATALOG_NAME_LEN:
    case SQL_MAX_TABLE_NAME_LEN:
    case SQL_MAX_PROCEDURE_NAME_LEN:
    case SQL_MAX_IDENTIFIER_LEN:
    case SQL_MAX_USER_NAME_LEN:
      return small(128);
    case SQL_TXN_CAPABLE:
      return small(SQL_TC_ALL);
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
      return small(SQL_CB_PRESERVE);
    case SQL_IDENTIFIER_CASE:
      return small(SQL_IC_MIXED);
    case SQL_QUOTED_IDENTIFIER_CASE:
      return small(SQL_IC_SENSITIVE);
    case SQL_CONCAT_NULL_BEHAVIOR:
      return small(SQL_CB_NULL);
    case SQL_CORRELATION_NAME:
      return small(SQL_CN_ANY);
    case SQL_NON_NULLABLE_COLUMNS:
      return small(SQL_NNC_NON_NULL);
    case SQL_NULL_COLLATION:
      return small(SQL_NC_LOW);
    case SQL_GROUP_BY:
      return small(SQL_GB_GROUP_BY_CONTAINS_SELECT);
    case SQL_FILE_USAGE:
      return small(SQL_FILE_NOT_SUPPORTED);
    case SQL_ODBC_API_CONFORMANCE:
      return small(SQL_OAC_LEVEL1);
    case SQL_ODBC_SQL_CONFORMANCE:
      return small(SQL_OSC_CORE);
    case SQL_GETDATA_EXTENSIONS:
      return large(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER);
    case SQL_SCROLL_OPTIONS:
      return large(SQL_SO_FORWARD_ONLY);
    case SQL_SCROLL_CONCURRENCY:
      return large(SQL_SCCO_READ_ONLY);
    case SQL_DEFAULT_TXN_ISOLATION:
      return large(SQL_TXN_READ_COMMITTED);
    case SQL_TXN_ISOLATION_OPTION:
      return large(SQL_TXN_READ_UNCOMMITTED | SQL_TXN_READ_COMMITTED | SQL_TXN_REPEATABLE_READ |
                   SQL_TXN_SERIALIZABLE);
    case SQL_ASYNC_MODE:
      return large(SQL_AM_NONE);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
      return large(SQL_CA1_NEXT);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
      return large(SQL_CA2_READ_ONLY_CONCURRENCY);
    case SQL_PARAM_ARRAY_ROW_COUNTS:
      return large(SQL_PARC_NO_BATCH);
    case SQL_PARAM_ARRAY_SELECTS:
      return large(SQL_PAS_NO_SELECT);
    case SQL_ODBC_INTERFACE_CONFORMANCE:
      return large(SQL_OIC_CORE);
    case SQL_SQL_CONFORMANCE:
      return large(SQL_SC_SQL92_ENTRY);
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
    case SQL_KEYSET_CURSOR_ATTRIBUTES1:
    case SQL_KEYSET_CURSOR_ATTRIBUTES2:
    case SQL_STATIC_CURSOR_ATTRIBUTES1:
    case SQL_STATIC_CURSOR_ATTRIBUTES2:
    case SQL_BOOKMARK_PERSISTENCE:
    case SQL_POS_OPERATIONS:
    case SQL_STATIC_SENSITIVITY:
    case SQL_LOCK_TYPES:
    case SQL_BATCH_SUPPORT:
    case SQL_BATCH_ROW_COUNT:
    case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
    case SQL_CURSOR_SENSITIVITY:
    case SQL_NUMERIC_FUNCTIONS:
    case SQL_STRING_FUNCTIONS:
    case SQL_SYSTEM_FUNCTIONS:
    case SQL_TIMEDATE_FUNCTIONS:
    case SQL_MAX_STATEMENT_LEN:
    case SQL_MAX_ROW_SIZE:
    case SQL_MAX_CHAR_LITERAL_LEN:
    case SQL_MAX_BINARY_LITERAL_LEN:
    case SQL_MAX_INDEX_SIZE:
    case SQL_CATALOG_USAGE:
    case SQL_SCHEMA_USAGE:
    case SQL_OJ_CAPABILITIES:
    case SQL_AGGREGATE_FUNCTIONS:
      return large(0);
    default:
      diag.Error("HY096", "Information type out of range");
      return std::nullopt;
  }
}

// ---------------------------------------------------------------------------------------------
// Statement

Statement::Statement(Connection& connection, int number)
    : connection_(connection), number_(number) {}

void Statement::Log(std::string_view event, std::string_view detail) const {
  std::string line(event);
  line += " #";
  line += std::to_string(number_);
  if (!detail.empty()) {
    line += ' ';
    line += detail;
  }
  connection_.Log(line);
}

Statement::WaitResult Statement::Wait(const scripted::Answer& answer) const {
  if (answer.wait == WaitKind::kNone) return WaitResult::kDone;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(answer.waitMs);
  while (true) {
    if (execState_.load() == ExecState::kCancelRequested) return WaitResult::kCanceled;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      return answer.wait == WaitKind::kSleep ? WaitResult::kDone : WaitResult::kTimedOut;
    }
    std::this_thread::sleep_for(
        std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(2)));
  }
}

SQLRETURN Statement::Respond(const scripted::Answer& answer, std::string& result) {
  switch (Wait(answer)) {
    case WaitResult::kCanceled:
      result = "canceled";
      return diag.Error("HY008", "Operation canceled");
    case WaitResult::kTimedOut:
      result = "timed-out";
      return diag.Error("HYT00", "scripted driver: block-until-cancel timed out after " +
                                     std::to_string(answer.waitMs) + " ms");
    case WaitResult::kDone:
      break;
  }
  result = OutcomeName(answer.outcome);
  diag.records = answer.records;
  if (answer.outcome == Outcome::kError) return SQL_ERROR;
  if (answer.outcome == Outcome::kNoData) {
    rowCount_ = 0;
    return SQL_NO_DATA;
  }
  if (answer.HasResultSet()) {
    result_ = &answer;
    rowCount_ = -1;
  } else {
    rowCount_ = answer.affectedRows ? static_cast<SQLLEN>(*answer.affectedRows) : -1;
  }
  return ReturnCodeOf(answer.outcome);
}

SQLRETURN Statement::ExecDirect(const std::string& text) {
  if (result_ != nullptr) return diag.Error("24000", "Invalid cursor state");
  rowCount_ = -1;
  // From here on SQLCancel from another thread reaches this execution.
  execState_.store(ExecState::kExecuting);
  Log("EXEC", EscapeForJournal(text));

  SQLRETURN code = SQL_ERROR;
  std::string result = "error";
  const scripted::Answer* answer = connection_.PickAnswer(text);
  if (answer == nullptr) {
    Log("NO-RULE");
    code = diag.Error("42000", kNoRuleMessage);
  } else {
    code = Respond(*answer, result);
  }
  if (execState_.exchange(ExecState::kIdle) == ExecState::kCancelRequested) Log("CANCEL");
  Log("EXEC-RESULT", result);
  return code;
}

SQLRETURN Statement::Cancel() {
  ExecState expected = ExecState::kExecuting;
  if (execState_.compare_exchange_strong(expected, ExecState::kCancelRequested)) {
    return SQL_SUCCESS;  // the executing thread writes the CANCEL line when it stops
  }
  if (expected == ExecState::kIdle) Log("CANCEL");  // nothing runs: no effect
  return SQL_SUCCESS;
}

SQLRETURN Statement::Fetch() {
  if (result_ == nullptr) return diag.Error("24000", "Invalid cursor state");
  currentRow_.reset();
  if (fetchFailed_) {
    diag.records = result_->fetchRecords;
    Log("FETCH", "error");
    return SQL_ERROR;
  }
  ++fetchCalls_;
  if (result_->failingFetch && *result_->failingFetch == fetchCalls_) {
    fetchFailed_ = true;
    diag.records = result_->fetchRecords;
    Log("FETCH", "error");
    return SQL_ERROR;
  }
  if (nextRow_ >= result_->rows.size()) {
    Log("FETCH", "end");
    return SQL_NO_DATA;
  }
  currentRow_ = nextRow_++;
  reads_.assign(result_->columns.size(), ColumnRead{});
  Log("FETCH", "row");
  return SQL_SUCCESS;
}

SQLRETURN Statement::GetData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* indicator) {
  if (result_ == nullptr || !currentRow_) return diag.Error("24000", "Invalid cursor state");
  if (column == 0 || column > result_->columns.size()) {
    return diag.Error("07009", "Invalid descriptor index");
  }
  const std::size_t index = column - 1u;
  const Cell& cell = result_->rows[*currentRow_][index];
  ColumnRead& read = reads_[index];
  if (read.done) return SQL_NO_DATA;

  if (targetType == SQL_C_DEFAULT) {
    targetType = result_->columns[index].type == ColumnType::kInt ? SQL_C_SLONG : SQL_C_CHAR;
  }
  const bool isChar = targetType == SQL_C_CHAR;
  const bool isInteger = targetType == SQL_C_LONG || targetType == SQL_C_SLONG ||
                         targetType == SQL_C_ULONG || targetType == SQL_C_SHORT ||
                         targetType == SQL_C_SSHORT || targetType == SQL_C_SBIGINT;
  if (!isChar && !isInteger) return diag.Error("07006", "Restricted data type attribute violation");
  if (isChar && bufferLength < 0) return diag.Error("HY090", "Invalid string or buffer length");
  if (target == nullptr && (isInteger || bufferLength > 0)) {
    return diag.Error("HY009", "Invalid use of null pointer");
  }

  if (std::holds_alternative<std::monostate>(cell)) {
    if (indicator == nullptr) {
      return diag.Error("22002", "Indicator variable required but not supplied");
    }
    *indicator = SQL_NULL_DATA;
    read.done = true;
    return SQL_SUCCESS;
  }

  if (isInteger) {
    std::optional<std::int64_t> value;
    if (const auto* number = std::get_if<std::int64_t>(&cell)) {
      value = *number;
    } else {
      value = ParseInteger(std::get<std::string>(cell));
      if (!value) return diag.Error("22018", "Invalid character value for cast");
    }
    bool fits = false;
    switch (targetType) {
      case SQL_C_SHORT:
      case SQL_C_SSHORT:
        fits = FitsIn<SQLSMALLINT>(*value);
        if (fits) StoreInteger<SQLSMALLINT>(target, indicator, *value);
        break;
      case SQL_C_ULONG:
        fits = FitsIn<SQLUINTEGER>(*value);
        if (fits) StoreInteger<SQLUINTEGER>(target, indicator, *value);
        break;
      case SQL_C_SBIGINT:
        fits = true;
        StoreInteger<SQLBIGINT>(target, indicator, *value);
        break;
      default:
        fits = FitsIn<SQLINTEGER>(*value);
        if (fits) StoreInteger<SQLINTEGER>(target, indicator, *value);
        break;
    }
    if (!fits) return diag.Error("22003", "Numeric value out of range");
    read.done = true;
    return SQL_SUCCESS;
  }

  const std::string text = std::holds_alternative<std::int64_t>(cell)
                               ? std::to_string(std::get<std::int64_t>(cell))
                               : std::get<std::string>(cell);
  const std::string_view rest = std::string_view(text).substr(std::min(read.offset, text.size()));
  if (indicator != nullptr) *indicator = static_cast<SQLLEN>(rest.size());
  if (bufferLength == 0) {
    if (rest.empty()) {
      read.done = true;
      return SQL_SUCCESS;
    }
    diag.Add("01004", 0, "String data, right truncated");
    return SQL_SUCCESS_WITH_INFO;
  }
  const bool truncated = CopyOut(rest, static_cast<SQLCHAR*>(target), bufferLength);
  if (truncated) {
    read.offset += static_cast<std::size_t>(bufferLength) - 1;
    diag.Add("01004", 0, "String data, right truncated");
    return SQL_SUCCESS_WITH_INFO;
  }
  read.done = true;
  return SQL_SUCCESS;
}

SQLRETURN Statement::NumResultCols(SQLSMALLINT* count) {
  if (count == nullptr) return diag.Error("HY009", "Invalid use of null pointer");
  *count = result_ == nullptr ? 0 : static_cast<SQLSMALLINT>(result_->columns.size());
  return SQL_SUCCESS;
}

SQLRETURN Statement::DescribeColumn(SQLUSMALLINT column, ColumnDescription& description) {
  if (result_ == nullptr) return diag.Error("07005", "Statement has no result set");
  if (column == 0 || column > result_->columns.size()) {
    return diag.Error("07009", "Invalid descriptor index");
  }
  const std::size_t index = column - 1u;
  const Column& described = result_->columns[index];
  description.name = described.name;
  description.type = described.type == ColumnType::kInt ? SQL_INTEGER : SQL_VARCHAR;
  description.size = 10;
  if (described.type == ColumnType::kText) {
    description.size = 1;
    for (const Row& row : result_->rows) {
      if (const auto* text = std::get_if<std::string>(&row[index])) {
        description.size = std::max<SQLULEN>(description.size, text->size());
      }
    }
  }
  return SQL_SUCCESS;
}

SQLRETURN Statement::RowCount(SQLLEN* count) {
  if (count == nullptr) return diag.Error("HY009", "Invalid use of null pointer");
  *count = rowCount_;
  return SQL_SUCCESS;
}

SQLRETURN Statement::CloseCursor(bool mustBeOpen) {
  if (result_ == nullptr) {
    return mustBeOpen ? diag.Error("24000", "Invalid cursor state") : SQL_SUCCESS;
  }
  result_ = nullptr;
  nextRow_ = 0;
  fetchCalls_ = 0;
  fetchFailed_ = false;
  currentRow_.reset();
  reads_.clear();
  return SQL_SUCCESS;
}

std::int64_t Statement::CursorRowCount() const {
  return result_ == nullptr ? 0 : static_cast<std::int64_t>(result_->rows.size());
}

SQLRETURN Statement::SetAttr(SQLINTEGER attribute, SQLPOINTER value) {
  attributes_[attribute] = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
  return SQL_SUCCESS;
}

SQLRETURN Statement::GetAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* stringLength) {
  if (value == nullptr) return diag.Error("HY009", "Invalid use of null pointer");
  switch (attribute) {
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC: {
      // The driver has no descriptor functions; it hands out distinct stand-in handles.
      const std::size_t slot = static_cast<std::size_t>(attribute - SQL_ATTR_APP_ROW_DESC);
      const SQLPOINTER handle = &descriptors_[slot];
      StoreScalar(value, handle);
      if (stringLength != nullptr) *stringLength = sizeof handle;
      return SQL_SUCCESS;
    }
    default:
      break;
  }
  SQLULEN result = 0;
  const auto stored = attributes_.find(attribute);
  if (stored != attributes_.end()) {
    result = stored->second;
  } else {
    switch (attribute) {
      case SQL_ATTR_CURSOR_TYPE:
        result = SQL_CURSOR_FORWARD_ONLY;
        break;
      case SQL_ATTR_CONCURRENCY:
        result = SQL_CONCUR_READ_ONLY;
        break;
      case SQL_ATTR_ROW_ARRAY_SIZE:
      case SQL_ROWSET_SIZE:
        result = 1;
        break;
      case SQL_ATTR_CURSOR_SCROLLABLE:
        result = SQL_NONSCROLLABLE;
        break;
      case SQL_ATTR_CURSOR_SENSITIVITY:
        result = SQL_UNSPECIFIED;
        break;
      case SQL_ATTR_NOSCAN:
        result = SQL_NOSCAN_OFF;
        break;
      case SQL_ATTR_RETRIEVE_DATA:
        result = SQL_RD_ON;
        break;
      case SQL_ATTR_USE_BOOKMARKS:
        result = SQL_UB_OFF;
        break;
      case SQL_ATTR_ASYNC_ENABLE:
      case SQL_ATTR_QUERY_TIMEOUT:
      case SQL_ATTR_MAX_ROWS:
      case SQL_ATTR_MAX_LENGTH:
      case SQL_ATTR_KEYSET_SIZE:
      case SQL_ATTR_ENABLE_AUTO_IPD:
      case SQL_ATTR_ROW_NUMBER:
        result = 0;
        break;
      default:
        return diag.Error("HY092", "Invalid attribute/option identifier");
    }
  }
  StoreScalar(value, result);
  if (stringLength != nullptr) *stringLength = sizeof result;
  return SQL_SUCCESS;
}

}  // namespace scripted
