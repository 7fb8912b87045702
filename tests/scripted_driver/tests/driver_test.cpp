// Tests of the scripted driver through the unixODBC driver manager, called as the application
// calls it: SQLConnectW with UTF-16 text, ANSI statements with an explicit length, SQLGetData
// into caller buffers, SQLGetDiagRec.

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "scripted_odbc_home.h"

namespace {

using scripted_odbc::DataSource;
using scripted_odbc::DataSourceOptions;
using scripted_odbc::JournalEvent;
using scripted_odbc::OdbcHome;
using scripted_odbc::ParseJournal;

struct Record {
  std::string state;
  std::int32_t native = 0;
  std::string message;

  bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Record& record) {
  return out << "[" << record.state << "](" << record.native << ") " << record.message;
}

// Every record of a handle, each message read whole: a message longer than the first buffer is
// read again with a buffer of the length reported.
std::vector<Record> Records(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<Record> records;
  for (SQLSMALLINT number = 1; number < 100; ++number) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLCHAR> message(1024, 0);
    SQLSMALLINT length = 0;
    SQLRETURN code = SQLGetDiagRec(type, handle, number, state, &native, message.data(),
                                   static_cast<SQLSMALLINT>(message.size()), &length);
    if (code == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<std::size_t>(length) + 1, 0);
      code = SQLGetDiagRec(type, handle, number, state, &native, message.data(),
                           static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(code)) break;
    records.push_back(Record{reinterpret_cast<const char*>(state), native,
                             reinterpret_cast<const char*>(message.data())});
  }
  return records;
}

std::u16string Wide(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// An environment and a connection handle, freed on destruction like the application does.
class Session {
 public:
  Session() {
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_), SQL_SUCCESS);
    EXPECT_EQ(SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_UINTEGER),
              SQL_SUCCESS);
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_), SQL_SUCCESS);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    Disconnect();
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    SQLFreeHandle(SQL_HANDLE_ENV, environment_);
  }

  SQLRETURN Connect(const std::string& dsn, const std::string& user = "app_user",
                    const std::string& password = "Pa55-w0rd!") {
    std::u16string wideDsn = Wide(dsn);
    std::u16string wideUser = Wide(user);
    std::u16string widePassword = Wide(password);
    const SQLRETURN code =
        SQLConnectW(connection_, reinterpret_cast<SQLWCHAR*>(wideDsn.data()), SQL_NTS,
                    reinterpret_cast<SQLWCHAR*>(wideUser.data()), SQL_NTS,
                    reinterpret_cast<SQLWCHAR*>(widePassword.data()), SQL_NTS);
    connected_ = SQL_SUCCEEDED(code);
    return code;
  }

  void Disconnect() {
    if (connected_) {
      EXPECT_EQ(SQLDisconnect(connection_), SQL_SUCCESS);
    }
    connected_ = false;
  }

  SQLHDBC handle() const { return connection_; }
  std::vector<Record> records() const { return Records(SQL_HANDLE_DBC, connection_); }

 private:
  SQLHENV environment_ = SQL_NULL_HENV;
  SQLHDBC connection_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

struct TextRead {
  SQLRETURN code = SQL_ERROR;
  std::string text;
  SQLLEN indicator = 0;
};

// A statement handle; freed on destruction unless Free or Leak was called.
class Stmt {
 public:
  explicit Stmt(const Session& session) {
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, session.handle(), &handle_), SQL_SUCCESS);
  }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  ~Stmt() { Free(); }

  void Free() {
    if (handle_ != SQL_NULL_HSTMT) {
      EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_STMT, handle_), SQL_SUCCESS);
    }
    handle_ = SQL_NULL_HSTMT;
  }
  void Leak() { handle_ = SQL_NULL_HSTMT; }

  // Like the application: 8-bit text with its length, not null-terminated.
  SQLRETURN Exec(std::string_view text) {
    std::vector<SQLCHAR> copy(text.begin(), text.end());
    copy.push_back('~');  // whatever follows the text must not count
    return SQLExecDirect(handle_, copy.data(), static_cast<SQLINTEGER>(text.size()));
  }

  SQLRETURN Fetch() { return SQLFetch(handle_); }

  SQLRETURN GetInt(SQLUSMALLINT column, SQLINTEGER& value, SQLLEN& indicator) {
    return SQLGetData(handle_, column, SQL_C_LONG, &value, 0, &indicator);
  }

  TextRead GetText(SQLUSMALLINT column, SQLLEN bufferLength = 4096) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max<SQLLEN>(bufferLength, 1)), '#');
    TextRead read;
    read.code =
        SQLGetData(handle_, column, SQL_C_CHAR, buffer.data(), bufferLength, &read.indicator);
    if (SQL_SUCCEEDED(read.code) && read.indicator != SQL_NULL_DATA && bufferLength > 0) {
      read.text = buffer.data();
    }
    return read;
  }

  SQLHSTMT handle() const { return handle_; }
  std::vector<Record> records() const { return Records(SQL_HANDLE_STMT, handle_); }

 private:
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

std::vector<std::string> Events(const DataSource& source, std::string_view name) {
  std::vector<std::string> details;
  for (const JournalEvent& event : ParseJournal(source.JournalLines())) {
    if (event.event == name) details.push_back(event.detail);
  }
  return details;
}

std::string JournalText(const DataSource& source) {
  std::string text;
  for (const std::string& line : source.JournalLines()) text += line + "\n";
  return text;
}

class ScriptedDriverTest : public ::testing::Test {
 protected:
  // Before any handle of the test: the driver manager reads ODBCSYSINI once.
  void SetUp() override { OdbcHome::Instance(); }

  DataSource Source(const std::string& fixture) {
    return OdbcHome::Instance().AddDataSource(fixture);
  }

  // Connects a new session to a new data source with `fixture`; fails the test otherwise.
  DataSource Connected(Session& session, const std::string& fixture) {
    DataSource source = Source(fixture);
    const SQLRETURN code = session.Connect(source.name);
    EXPECT_EQ(code, SQL_SUCCESS) << ::testing::PrintToString(session.records());
    return source;
  }
};

// --- connect -----------------------------------------------------------------------------------

TEST_F(ScriptedDriverTest, ConnectSucceedsByDefaultAndJournalsDsnAndUserButNoPassword) {
  const std::string password = "Tr0ub4dor&3-secret";
  const DataSource source = Source("");
  {
    Session session;
    ASSERT_EQ(session.Connect(source.name, "upgrade user", password), SQL_SUCCESS);
    EXPECT_TRUE(session.records().empty());
  }
  const std::vector<std::string> lines = source.JournalLines();
  ASSERT_EQ(lines.size(), 3u) << JournalText(source);
  EXPECT_EQ(lines[0], "CONNECT dsn=" + source.name + " user=upgrade user");
  EXPECT_EQ(lines[1], "CONNECT-RESULT ok");
  EXPECT_EQ(lines[2], "DISCONNECT");
  EXPECT_EQ(JournalText(source).find("Tr0ub4dor"), std::string::npos);
}

TEST_F(ScriptedDriverTest, ConnectWithInfoReturnsItsRecordsInOrder) {
  const DataSource source = Source(R"(
connect
  info
    diag 01000 5701 "Changed database context to 'Products'."
    diag 01000 5703 "Changed language setting to us_english."
end
)");
  Session session;
  ASSERT_EQ(session.Connect(source.name), SQL_SUCCESS_WITH_INFO);
  const std::vector<Record> expected = {
      {"01000", 5701, "[unixODBC]Changed database context to 'Products'."},
      {"01000", 5703, "[unixODBC]Changed language setting to us_english."}};
  EXPECT_EQ(session.records(), expected);
  EXPECT_EQ(Events(source, "CONNECT-RESULT"), std::vector<std::string>{"info"});
}

TEST_F(ScriptedDriverTest, ConnectFailureReturnsThreeRecordsAndLeavesTheConnectionClosed) {
  const DataSource source = Source(R"(
connect
  fail
    diag 28000 18456 "Login failed for user 'app_user'."
    diag 08001 -2 "Server does not exist or access denied."
    diag 42000 2147483647 "Cannot open database \"Products\" requested by the login."
end
)");
  Session session;
  ASSERT_EQ(session.Connect(source.name), SQL_ERROR);
  const std::vector<Record> expected = {
      {"42000", 2147483647, "[unixODBC]Cannot open database \"Products\" requested by the login."},
      {"28000", 18456, "[unixODBC]Login failed for user 'app_user'."},
      {"08001", -2, "[unixODBC]Server does not exist or access denied."}};
  EXPECT_EQ(session.records(), expected);
  SQLHSTMT statement = SQL_NULL_HSTMT;
  EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, session.handle(), &statement), SQL_ERROR);
  EXPECT_EQ(Events(source, "CONNECT-RESULT"), std::vector<std::string>{"error"});
  EXPECT_TRUE(Events(source, "DISCONNECT").empty());
}

// unixODBC 2.3.11 keeps its own copy of the records of a connect, with "[unixODBC]" before each
// message, ordered by SQLSTATE from the highest (so errors come before 01xxx warnings); records
// with the same SQLSTATE keep the driver's order. Statement records come straight from the
// driver. Tests of the application must expect that order.
TEST_F(ScriptedDriverTest, DriverManagerOrdersConnectRecordsBySqlstate) {
  const DataSource source = Source(R"(
connect
  fail
    diag 01000 5701 "warning"
    diag 08001 17 "first 08001"
    diag 28000 18456 "login"
    diag 08001 18 "second 08001"
end
)");
  Session session;
  ASSERT_EQ(session.Connect(source.name), SQL_ERROR);
  const std::vector<Record> expected = {{"28000", 18456, "[unixODBC]login"},
                                        {"08001", 17, "[unixODBC]first 08001"},
                                        {"08001", 18, "[unixODBC]second 08001"},
                                        {"01000", 5701, "[unixODBC]warning"}};
  EXPECT_EQ(session.records(), expected);
}

TEST_F(ScriptedDriverTest, ConnectChecksTheUserName) {
  const DataSource source = Source("connect\n  user \"dbo_owner\"\nend\n");
  {
    Session session;
    ASSERT_EQ(session.Connect(source.name, "intruder"), SQL_ERROR);
    const std::vector<Record> records = session.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].state, "28000");
    EXPECT_EQ(records[0].native, 18456);
    EXPECT_NE(records[0].message.find("'intruder'"), std::string::npos);
  }
  Session session;
  EXPECT_EQ(session.Connect(source.name, "dbo_owner"), SQL_SUCCESS);
}

TEST_F(ScriptedDriverTest, ConnectReportsAFixtureErrorWithItsLine) {
  const DataSource source = Source("rule exact \"SELECT 1\"\n  frobnicate\nend\n");
  Session session;
  ASSERT_EQ(session.Connect(source.name), SQL_ERROR);
  const std::vector<Record> records = session.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].state, "HY000");
  EXPECT_NE(records[0].message.find("line 2: unknown keyword 'frobnicate'"), std::string::npos)
      << records[0].message;
}

TEST_F(ScriptedDriverTest, ConnectFailsWithoutAFixtureEntry) {
  DataSourceOptions options;
  options.fixtureEntry = false;
  const DataSource source = OdbcHome::Instance().AddDataSource(options);
  Session session;
  ASSERT_EQ(session.Connect(source.name), SQL_ERROR);
  const std::vector<Record> records = session.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].message.find("has no Fixture entry"), std::string::npos);
}

TEST_F(ScriptedDriverTest, EveryRegisteredDriverNameLoadsTheDriver) {
  OdbcHome::Instance().RegisterDriver("Registered Later");
  for (const char* driver : {scripted_odbc::kSqlServerDriver, scripted_odbc::kSqlServerNativeDriver,
                             scripted_odbc::kOracleDriver, "Registered Later"}) {
    DataSourceOptions options;
    options.driver = driver;
    const DataSource source = OdbcHome::Instance().AddDataSource(options);
    Session session;
    EXPECT_EQ(session.Connect(source.name), SQL_SUCCESS) << driver;
  }
}

TEST_F(ScriptedDriverTest, WideConnectPassesLongAndNonAsciiNamesWhole) {
  const DataSource source = Source("");
  const std::string longUser(70, 'u');
  // "Jürgen 😀" as UTF-16, with a surrogate pair.
  std::u16string wideUser = u"J\u00FCrgen \U0001F600";
  std::u16string wideDsn = Wide(source.name);
  std::u16string password = u"secret";
  {
    Session session;
    ASSERT_EQ(session.Connect(source.name, longUser), SQL_SUCCESS);
  }
  {
    Session session;
    ASSERT_EQ(SQLConnectW(session.handle(), reinterpret_cast<SQLWCHAR*>(wideDsn.data()), SQL_NTS,
                          reinterpret_cast<SQLWCHAR*>(wideUser.data()), SQL_NTS,
                          reinterpret_cast<SQLWCHAR*>(password.data()), SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(SQLDisconnect(session.handle()), SQL_SUCCESS);
  }
  EXPECT_EQ(
      Events(source, "CONNECT"),
      (std::vector<std::string>{"dsn=" + source.name + " user=" + longUser,
                                "dsn=" + source.name + " user=J\xC3\xBCrgen \xF0\x9F\x98\x80"}));
}

// Sets the C library's locale for the life of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

// The driver manager converts the 8-bit text of SQLExecDirect and SQLGetDiagRec for the wide
// functions of the driver with the character set of the C library's locale: the "C" locale of a
// program that never calls setlocale takes each byte as one Latin-1 character, so UTF-8 text
// arrives mangled; a UTF-8 locale keeps it whole. The lengths that SQLGetDiagRec reports count
// characters, not bytes.
constexpr char kCafe[] = "SELECT 'caf\xC3\xA9' AS name";

TEST_F(ScriptedDriverTest, AnsiTextInTheCLocaleArrivesAsLatin1) {
  ScopedLocale locale("C");
  Session session;
  const DataSource source = Connected(session, "rule any\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec(kCafe), SQL_SUCCESS);
  EXPECT_EQ(Events(source, "EXEC"),
            std::vector<std::string>{"SELECT 'caf\xC3\x83\xC2\xA9' AS name"});
}

TEST_F(ScriptedDriverTest, AnsiTextInAUtf8LocaleArrivesWhole) {
  ScopedLocale locale("C.UTF-8");
  if (!locale.ok()) GTEST_SKIP() << "no C.UTF-8 locale";
  Session session;
  const DataSource source = Connected(session, R"(
rule exact "SELECT 'café' AS name"
  fail
    diag 42000 1 "Invalid column name 'café €'."
end
)");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec(kCafe), SQL_ERROR);
  EXPECT_EQ(Events(source, "EXEC"), std::vector<std::string>{kCafe});
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[256] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, statement.handle(), 1, state, &native, message,
                          sizeof message, &length),
            SQL_SUCCESS);
  const std::string text = reinterpret_cast<const char*>(message);
  EXPECT_EQ(text, "Invalid column name 'caf\xC3\xA9 \xE2\x82\xAC'.");
  EXPECT_EQ(length, 29);  // characters; the text has 32 bytes
}

TEST_F(ScriptedDriverTest, GetInfoIsAnsweredByTheDriver) {
  Session session;
  Connected(session, "");
  char name[64] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetInfo(session.handle(), SQL_DBMS_NAME, name, sizeof name, &length), SQL_SUCCESS);
  EXPECT_STREQ(name, "Scripted");
  SQLUSMALLINT activities = 99;
  ASSERT_EQ(SQLGetInfo(session.handle(), SQL_MAX_CONCURRENT_ACTIVITIES, &activities, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(activities, 0);  // no limit
}

// --- result sets and SQLGetData ------------------------------------------------------------

constexpr char kVersionsFixture[] = R"(
rule exact "SELECT id, name, note FROM dbo.Versions ORDER BY id"
  columns id:int name:text note:text
  row 1 "1.0.0" null
  row 2 "it's \"quoted\" [v2] {x} <y> 100% \\ done" "7"
  row null "" "abc"
end
)";

TEST_F(ScriptedDriverTest, ResultSetDeliversIntTextAndNull) {
  Session session;
  const DataSource source = Connected(session, kVersionsFixture);
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT id, name, note FROM dbo.Versions ORDER BY id"), SQL_SUCCESS);

  SQLSMALLINT columns = 0;
  ASSERT_EQ(SQLNumResultCols(statement.handle(), &columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 3);

  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(indicator, 4);
  TextRead name = statement.GetText(2);
  ASSERT_EQ(name.code, SQL_SUCCESS);
  EXPECT_EQ(name.text, "1.0.0");
  EXPECT_EQ(name.indicator, 5);
  // NULL: the indicator says so and the buffer is left as it was.
  char untouched[8] = "xxxxxxx";
  indicator = 0;
  ASSERT_EQ(SQLGetData(statement.handle(), 3, SQL_C_CHAR, untouched, sizeof untouched, &indicator),
            SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  EXPECT_STREQ(untouched, "xxxxxxx");

  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  TextRead quoted = statement.GetText(2);
  ASSERT_EQ(quoted.code, SQL_SUCCESS);
  EXPECT_EQ(quoted.text, "it's \"quoted\" [v2] {x} <y> 100% \\ done");
  // A text column holding digits converts to an int.
  value = 0;
  ASSERT_EQ(statement.GetInt(3, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(value, 7);

  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  value = -5;
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  EXPECT_EQ(value, -5);
  TextRead empty = statement.GetText(2);
  ASSERT_EQ(empty.code, SQL_SUCCESS);
  EXPECT_EQ(empty.text, "");
  EXPECT_EQ(empty.indicator, 0);
  // Text that is no number does not convert.
  ASSERT_EQ(statement.GetInt(3, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "22018");

  EXPECT_EQ(statement.Fetch(), SQL_NO_DATA);
  statement.Free();
  EXPECT_EQ(Events(source, "FETCH"), (std::vector<std::string>{"row", "row", "row", "end"}));
}

TEST_F(ScriptedDriverTest, DescribeColGivesNamesTypesAndSizes) {
  Session session;
  Connected(session, kVersionsFixture);
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT id, name, note FROM dbo.Versions ORDER BY id"), SQL_SUCCESS);
  SQLCHAR name[32] = {};
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = -1;
  SQLSMALLINT nullable = -1;
  ASSERT_EQ(SQLDescribeCol(statement.handle(), 1, name, sizeof name, &nameLength, &type, &size,
                           &digits, &nullable),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<const char*>(name), "id");
  EXPECT_EQ(nameLength, 2);
  EXPECT_EQ(type, SQL_INTEGER);
  EXPECT_EQ(digits, 0);
  EXPECT_EQ(nullable, SQL_NULLABLE_UNKNOWN);
  ASSERT_EQ(SQLDescribeCol(statement.handle(), 2, name, sizeof name, &nameLength, &type, &size,
                           &digits, &nullable),
            SQL_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<const char*>(name), "name");
  EXPECT_EQ(type, SQL_VARCHAR);
  EXPECT_EQ(size, std::strlen("it's \"quoted\" [v2] {x} <y> 100% \\ done"));  // the longest text
  EXPECT_EQ(SQLDescribeCol(statement.handle(), 4, name, sizeof name, &nameLength, &type, &size,
                           &digits, &nullable),
            SQL_ERROR);
}

TEST_F(ScriptedDriverTest, EndTranIsJournaled) {
  Session session;
  const DataSource source = Connected(session, "");
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, session.handle(), SQL_COMMIT), SQL_SUCCESS);
  EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, session.handle(), SQL_ROLLBACK), SQL_SUCCESS);
  const std::vector<std::string> lines = source.JournalLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "COMMIT");
  EXPECT_EQ(lines[3], "ROLLBACK");
}

TEST_F(ScriptedDriverTest, LongTextIsReturnedWhole) {
  const std::string text =
      "[" + std::string(60, 'a') + "'\"(){}<>;:,.?!@#$%^&*-_=+|~`/" + std::string(60, 'z') + "]";
  ASSERT_GT(text.size(), 101u);
  std::string escaped;
  for (const char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  Session session;
  Connected(session,
            "rule exact \"SELECT long\"\n  columns text\n  row \"" + escaped + "\"\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT long"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  const TextRead read = statement.GetText(1, 1024);
  ASSERT_EQ(read.code, SQL_SUCCESS);
  EXPECT_EQ(read.text, text);
  EXPECT_EQ(read.indicator, static_cast<SQLLEN>(text.size()));
}

TEST_F(ScriptedDriverTest, TruncatedTextGives01004TheFullLengthAndTheRestOnTheNextCalls) {
  Session session;
  Connected(session, R"(
rule exact "SELECT name"
  columns text
  row "abcdefghijklmnopqrstuvwxy"
end
)");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT name"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);

  char untouched = 'u';
  SQLLEN length = 0;
  ASSERT_EQ(SQLGetData(statement.handle(), 1, SQL_C_CHAR, &untouched, 0, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(length, 25);
  EXPECT_EQ(untouched, 'u');

  TextRead first = statement.GetText(1, 10);
  ASSERT_EQ(first.code, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(first.text, "abcdefghi");  // nine characters and the terminating null
  EXPECT_EQ(first.indicator, 25);
  const std::vector<Record> records = statement.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].state, "01004");

  TextRead second = statement.GetText(1, 10);
  ASSERT_EQ(second.code, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(second.text, "jklmnopqr");
  EXPECT_EQ(second.indicator, 16);

  TextRead last = statement.GetText(1, 10);
  ASSERT_EQ(last.code, SQL_SUCCESS);
  EXPECT_EQ(last.text, "stuvwxy");
  EXPECT_EQ(last.indicator, 7);
  EXPECT_TRUE(statement.records().empty());

  EXPECT_EQ(statement.GetText(1, 10).code, SQL_NO_DATA);
}

TEST_F(ScriptedDriverTest, TextThatFillsTheBufferExactlyIsTruncatedByOne) {
  Session session;
  Connected(session, "rule exact \"SELECT v\"\n  columns text\n  row \"0123456789\"\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT v"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  const TextRead read = statement.GetText(1, 10);
  EXPECT_EQ(read.code, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(read.text, "012345678");
  EXPECT_EQ(read.indicator, 10);
}

TEST_F(ScriptedDriverTest, ReadingAColumnAgainAfterAFullReadGivesNoData) {
  Session session;
  Connected(session, "rule exact \"SELECT 5, 'x'\"\n  columns int text\n  row 5 \"x\"\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 5, 'x'"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(statement.GetInt(1, value, indicator), SQL_NO_DATA);
  ASSERT_EQ(statement.GetText(2).code, SQL_SUCCESS);
  EXPECT_EQ(statement.GetText(2).code, SQL_NO_DATA);
}

TEST_F(ScriptedDriverTest, IntColumnsReadAsTextAndOutOfRangeValuesFail) {
  Session session;
  Connected(session, "rule exact \"SELECT n\"\n  columns int int\n  row -42 1099511627776\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT n"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  const TextRead text = statement.GetText(1);
  ASSERT_EQ(text.code, SQL_SUCCESS);
  EXPECT_EQ(text.text, "-42");
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(2, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "22003");
}

TEST_F(ScriptedDriverTest, NullWithoutIndicatorAndUnsupportedTypesFail) {
  Session session;
  Connected(session, "rule any\n  columns int int\n  row null 3\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT a, b"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  ASSERT_EQ(SQLGetData(statement.handle(), 1, SQL_C_LONG, &value, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "22002");
  double number = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(SQLGetData(statement.handle(), 2, SQL_C_DOUBLE, &number, 0, &indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "07006");
}

TEST_F(ScriptedDriverTest, ExecOnAStatementWithAnOpenCursorFails) {
  Session session;
  Connected(session, "rule any\n  columns int\n  row 1\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 1"), SQL_SUCCESS);
  ASSERT_EQ(statement.Exec("SELECT 1"), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "24000");
  ASSERT_EQ(SQLFreeStmt(statement.handle(), SQL_CLOSE), SQL_SUCCESS);
  EXPECT_EQ(statement.Exec("SELECT 1"), SQL_SUCCESS);
}

TEST_F(ScriptedDriverTest, ColumnNumberOutOfRangeGives07009) {
  Session session;
  Connected(session, "rule exact \"SELECT 1\"\n  columns int\n  row 1\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 1"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(2, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "07009");
  ASSERT_EQ(statement.GetInt(0, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "07009");
}

TEST_F(ScriptedDriverTest, GetDataBeforeFetchAndAfterTheEndGives24000) {
  Session session;
  Connected(session, "rule exact \"SELECT 1\"\n  columns int\n  row 1\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 1"), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "24000");
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_NO_DATA);
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_ERROR);
  EXPECT_EQ(statement.records().at(0).state, "24000");
}

// --- outcomes ----------------------------------------------------------------------------------

TEST_F(ScriptedDriverTest, FailureReturnsItsRecordsInTheDriversOrderThenNoData) {
  Session session;
  Connected(session, R"(
rule prefix "ALTER TABLE"
  fail
    diag 01000 0 "Changed database context to 'Products'."
    diag 42S01 2714 "There is already an object named 'Versions' in the database."
    diag 42000 -2147483648 "Could not create constraint or index. See previous errors."
end
)");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("ALTER TABLE dbo.Versions ADD CONSTRAINT pk PRIMARY KEY (id)"),
            SQL_ERROR);
  const std::vector<Record> expected = {
      {"01000", 0, "Changed database context to 'Products'."},
      {"42S01", 2714, "There is already an object named 'Versions' in the database."},
      {"42000", -2147483647 - 1, "Could not create constraint or index. See previous errors."}};
  EXPECT_EQ(statement.records(), expected);

  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[64] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, statement.handle(), 4, state, &native, message,
                          sizeof message, &length),
            SQL_NO_DATA);
}

TEST_F(ScriptedDriverTest, LongMessagesAreTruncatedWithTheirFullLengthReported) {
  std::string longMessage;
  for (int i = 0; longMessage.size() < 5000; ++i) longMessage += "part " + std::to_string(i) + "; ";
  Session session;
  Connected(session,
            "rule any\n  fail\n    diag HY000 50000 <<MSG\n" + longMessage + "\nMSG\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("RAISERROR"), SQL_ERROR);

  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR small[100] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, statement.handle(), 1, state, &native, small,
                          sizeof small, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(longMessage.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(small)), longMessage.substr(0, 99));

  const std::vector<Record> records = statement.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].native, 50000);
  EXPECT_EQ(records[0].message, longMessage);
}

TEST_F(ScriptedDriverTest, SuccessWithInfoReturnsItsRecordsAndMayCarryAResultSet) {
  Session session;
  Connected(session, R"(
rule contains "PRINT"
  info
    diag 01000 0 "Upgrade step 1 done"
    diag 01003 8153 "Warning: Null value is eliminated by an aggregate or other SET operation."
end
rule exact "SELECT COUNT(*) FROM t"
  info
    diag 01000 1 "counted"
  columns int
  row 12
end
)");
  Stmt print(session);
  ASSERT_EQ(print.Exec("PRINT 'step'"), SQL_SUCCESS_WITH_INFO);
  const std::vector<Record> expected = {
      {"01000", 0, "Upgrade step 1 done"},
      {"01003", 8153, "Warning: Null value is eliminated by an aggregate or other SET operation."}};
  EXPECT_EQ(print.records(), expected);

  Stmt count(session);
  ASSERT_EQ(count.Exec("SELECT COUNT(*) FROM t"), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(count.records(), (std::vector<Record>{{"01000", 1, "counted"}}));
  ASSERT_EQ(count.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(count.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(value, 12);
}

TEST_F(ScriptedDriverTest, NoDataAndAffectedRowCounts) {
  Session session;
  Connected(session, R"(
rule contains "WHERE id = 404"
  no-data
end
rule prefix "UPDATE"
  affected 3
end
)");
  Stmt none(session);
  ASSERT_EQ(none.Exec("UPDATE dbo.Versions SET name = 'x' WHERE id = 404"), SQL_NO_DATA);
  SQLLEN rows = -7;
  ASSERT_EQ(SQLRowCount(none.handle(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 0);

  Stmt some(session);
  ASSERT_EQ(some.Exec("UPDATE dbo.Versions SET name = 'x'"), SQL_SUCCESS);
  ASSERT_EQ(SQLRowCount(some.handle(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 3);
  SQLSMALLINT columns = -1;
  ASSERT_EQ(SQLNumResultCols(some.handle(), &columns), SQL_SUCCESS);
  EXPECT_EQ(columns, 0);
}

TEST_F(ScriptedDriverTest, FetchFailsAtTheGivenRow) {
  Session session;
  const DataSource source = Connected(session, R"(
rule exact "SELECT step FROM dbo.Steps"
  columns int
  row 1
  row 2
  row 3
  fetch-fail 2
    diag 08S01 10054 "TCP Provider: An existing connection was forcibly closed by the remote host."
    diag 08S01 10054 "Communication link failure"
end
)");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT step FROM dbo.Steps"), SQL_SUCCESS);
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(value, 1);
  ASSERT_EQ(statement.Fetch(), SQL_ERROR);
  const std::vector<Record> expected = {
      {"08S01", 10054,
       "TCP Provider: An existing connection was forcibly closed by the remote host."},
      {"08S01", 10054, "Communication link failure"}};
  EXPECT_EQ(statement.records(), expected);
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_ERROR);  // no current row
  EXPECT_EQ(statement.records().at(0).state, "24000");
  ASSERT_EQ(statement.Fetch(), SQL_ERROR);  // and it stays broken
  EXPECT_EQ(statement.records(), expected);
  statement.Free();
  EXPECT_EQ(Events(source, "FETCH"), (std::vector<std::string>{"row", "error", "error"}));
}

// --- sequences, matching -----------------------------------------------------------------------

TEST_F(ScriptedDriverTest, SequenceAnswersInTurnAndRepeatsTheLast) {
  Session session;
  Connected(session, R"(
rule exact "SELECT state FROM dbo.Upgrade"
  columns text
  row "pending"
then
  no-data
then
  fail
    diag 40001 1205 "Transaction was deadlocked"
then
  columns text
  row "done"
end
)");
  const auto run = [&](std::string& state) {
    Stmt statement(session);
    const SQLRETURN code = statement.Exec("SELECT state FROM dbo.Upgrade");
    state.clear();
    if (code == SQL_SUCCESS && statement.Fetch() == SQL_SUCCESS) state = statement.GetText(1).text;
    return code;
  };
  std::string state;
  EXPECT_EQ(run(state), SQL_SUCCESS);
  EXPECT_EQ(state, "pending");
  EXPECT_EQ(run(state), SQL_NO_DATA);
  EXPECT_EQ(run(state), SQL_ERROR);
  EXPECT_EQ(run(state), SQL_SUCCESS);
  EXPECT_EQ(state, "done");
  EXPECT_EQ(run(state), SQL_SUCCESS);
  EXPECT_EQ(state, "done");
}

TEST_F(ScriptedDriverTest, SequencesStartAgainWithEachConnection) {
  const DataSource source = Source("rule exact \"X\"\n  ok\nthen\n  no-data\nend\n");
  for (int round = 0; round < 2; ++round) {
    Session session;
    ASSERT_EQ(session.Connect(source.name), SQL_SUCCESS);
    Stmt statement(session);
    EXPECT_EQ(statement.Exec("X"), SQL_SUCCESS);
    EXPECT_EQ(statement.Exec("X"), SQL_NO_DATA);
  }
}

TEST_F(ScriptedDriverTest, FirstMatchingRuleWinsAndEachModeMatchesAsDocumented) {
  Session session;
  Connected(session, R"(
rule exact "SELECT 1"
  affected 1
end
rule prefix "SELECT"
  affected 2
end
rule glob "UPDATE dbo.* SET ?=1*"
  affected 3
end
rule contains "sys.objects"
  affected 4
end
rule any
  affected 5
end
)");
  const auto rows = [&](std::string_view text) {
    Stmt statement(session);
    EXPECT_EQ(statement.Exec(text), SQL_SUCCESS) << text;
    SQLLEN count = -9;
    SQLRowCount(statement.handle(), &count);
    return count;
  };
  EXPECT_EQ(rows("SELECT 1"), 1);
  EXPECT_EQ(rows("SELECT 1 "), 2);
  EXPECT_EQ(rows("SELECT name FROM sys.objects"), 2);
  EXPECT_EQ(rows("UPDATE dbo.Versions SET a=1\nWHERE x = 2"), 3);
  EXPECT_EQ(rows("UPDATE dbo.Versions SET ab=1"), 5);
  EXPECT_EQ(rows("DELETE FROM sys.objects"), 4);
  EXPECT_EQ(rows("select 1"), 5);
  EXPECT_EQ(rows("UPDATE t SET a = (SELECT 1)"), 5);  // has SELECT, but not at the start
}

TEST_F(ScriptedDriverTest, UnmatchedStatementFailsWith42000AndIsJournaled) {
  Session session;
  const DataSource source = Connected(session, "rule exact \"SELECT 1\"\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 2"), SQL_ERROR);
  EXPECT_EQ(statement.records(),
            (std::vector<Record>{{"42000", 0, "scripted driver: no rule for statement"}}));
  statement.Free();
  const std::vector<JournalEvent> events = ParseJournal(source.JournalLines());
  const std::vector<JournalEvent> expected = {
      {"EXEC", 1, "SELECT 2"}, {"NO-RULE", 1, ""}, {"EXEC-RESULT", 1, "error"}};
  const auto exec = std::find(events.begin(), events.end(), expected[0]);
  ASSERT_NE(exec, events.end()) << JournalText(source);
  ASSERT_GE(events.end() - exec, 3);
  EXPECT_EQ(std::vector<JournalEvent>(exec, exec + 3), expected);
}

// --- several statements, the journal -----------------------------------------------------------

TEST_F(ScriptedDriverTest, TwoStatementsOpenAtOnceOnOneConnection) {
  Session session;
  const DataSource source = Connected(session, R"(
rule exact "SELECT script FROM dbo.Pending"
  columns text
  row "a.sql"
  row "b.sql"
end
rule prefix "INSERT INTO dbo.Done"
  affected 1
end
)");
  Stmt reader(session);
  Stmt writer(session);
  ASSERT_EQ(reader.Exec("SELECT script FROM dbo.Pending"), SQL_SUCCESS);
  std::vector<std::string> seen;
  while (reader.Fetch() == SQL_SUCCESS) {
    const std::string script = reader.GetText(1).text;
    seen.push_back(script);
    ASSERT_EQ(writer.Exec("INSERT INTO dbo.Done VALUES ('" + script + "')"), SQL_SUCCESS);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"a.sql", "b.sql"}));
  writer.Free();
  reader.Free();
  session.Disconnect();

  const std::vector<std::string> expected = {"CONNECT dsn=" + source.name + " user=app_user",
                                             "CONNECT-RESULT ok",
                                             "ALLOC STMT #1",
                                             "ALLOC STMT #2",
                                             "EXEC #1 SELECT script FROM dbo.Pending",
                                             "EXEC-RESULT #1 ok",
                                             "FETCH #1 row",
                                             "EXEC #2 INSERT INTO dbo.Done VALUES ('a.sql')",
                                             "EXEC-RESULT #2 ok",
                                             "FETCH #1 row",
                                             "EXEC #2 INSERT INTO dbo.Done VALUES ('b.sql')",
                                             "EXEC-RESULT #2 ok",
                                             "FETCH #1 end",
                                             "FREE STMT #2",
                                             "FREE STMT #1",
                                             "DISCONNECT"};
  EXPECT_EQ(source.JournalLines(), expected);
  EXPECT_TRUE(scripted_odbc::UnfreedStatements(ParseJournal(source.JournalLines())).empty());
}

TEST_F(ScriptedDriverTest, JournalShowsStatementsLeftAllocatedAtDisconnect) {
  Session session;
  const DataSource source = Connected(session, "rule any\nend\n");
  Stmt freed(session);
  Stmt leaked(session);
  ASSERT_EQ(leaked.Exec("SELECT 1"), SQL_SUCCESS);
  freed.Free();
  leaked.Leak();  // SQLDisconnect frees it
  session.Disconnect();
  const std::vector<JournalEvent> events = ParseJournal(source.JournalLines());
  EXPECT_EQ(scripted_odbc::UnfreedStatements(events), std::vector<int>{2});
  EXPECT_EQ(Events(source, "UNFREED STMT").size(), 1u);
  EXPECT_EQ(events.back().event, "DISCONNECT");
}

TEST_F(ScriptedDriverTest, StatementTextIsJournaledOnOneLineAndReadsBackExactly) {
  const std::string text = "UPDATE t\r\nSET path = 'C:\\temp\\new'\tWHERE note = 'a\\nb'\n";
  Session session;
  const DataSource source = Connected(session, "rule any\nend\n");
  {
    Stmt statement(session);
    ASSERT_EQ(statement.Exec(text), SQL_SUCCESS);
  }
  const std::vector<std::string> lines = source.JournalLines();
  const auto exec = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.starts_with("EXEC #");
  });
  ASSERT_NE(exec, lines.end());
  EXPECT_EQ(*exec,
            "EXEC #1 UPDATE t\\r\\nSET path = 'C:\\\\temp\\\\new'\\tWHERE note = 'a\\\\nb'\\n");
  EXPECT_EQ(Events(source, "EXEC"), std::vector<std::string>{text});
}

// --- waiting and cancelling --------------------------------------------------------------------

// Waits until the journal has `line`; false after five seconds.
bool WaitForJournalLine(const DataSource& source, const std::string& line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::vector<std::string> lines = source.JournalLines();
    if (std::find(lines.begin(), lines.end(), line) != lines.end()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST_F(ScriptedDriverTest, BlockUntilCancelIsReleasedBySqlCancelFromAnotherThread) {
  Session session;
  const DataSource source = Connected(session, R"(
rule contains "WAITFOR"
  block-until-cancel 20000
end
)");
  Stmt statement(session);
  std::atomic<SQLRETURN> cancelCode{SQL_ERROR};
  std::atomic<bool> sawExec{false};
  std::thread canceller([&] {
    sawExec = WaitForJournalLine(source, "EXEC #1 WAITFOR DELAY '01:00:00'");
    cancelCode = SQLCancel(statement.handle());
  });
  const auto start = std::chrono::steady_clock::now();
  const SQLRETURN code = statement.Exec("WAITFOR DELAY '01:00:00'");
  const auto waited = std::chrono::steady_clock::now() - start;
  canceller.join();

  ASSERT_TRUE(sawExec);
  EXPECT_EQ(cancelCode.load(), SQL_SUCCESS);
  ASSERT_EQ(code, SQL_ERROR);
  EXPECT_LT(waited, std::chrono::seconds(10));
  EXPECT_EQ(statement.records(), (std::vector<Record>{{"HY008", 0, "Operation canceled"}}));
  statement.Free();
  const std::vector<std::string> lines = source.JournalLines();
  const auto exec = std::find(lines.begin(), lines.end(), "EXEC #1 WAITFOR DELAY '01:00:00'");
  ASSERT_NE(exec, lines.end());
  ASSERT_GE(lines.end() - exec, 3);
  EXPECT_EQ(exec[1], "CANCEL #1");
  EXPECT_EQ(exec[2], "EXEC-RESULT #1 canceled");
}

std::atomic<SQLHSTMT> statementToCancel{SQL_NULL_HSTMT};
std::atomic<SQLRETURN> cancelFromHandler{SQL_ERROR};

void CancelOnSignal(int) {
  cancelFromHandler = SQLCancel(statementToCancel.load());
}

// The application cancels from its signal handling; here the handler runs on the very thread
// that waits in SQLExecDirect.
TEST_F(ScriptedDriverTest, BlockUntilCancelIsReleasedBySqlCancelInASignalHandler) {
  Session session;
  const DataSource source = Connected(session, "rule any\n  block-until-cancel 20000\nend\n");
  Stmt statement(session);
  statementToCancel = statement.handle();
  cancelFromHandler = SQL_ERROR;
  struct sigaction action = {};
  struct sigaction previous = {};
  action.sa_handler = CancelOnSignal;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  const pthread_t executing = pthread_self();
  std::thread signaller([&] {
    if (WaitForJournalLine(source, "EXEC #1 SELECT pg_sleep(3600)")) {
      pthread_kill(executing, SIGUSR1);
    }
  });
  const SQLRETURN code = statement.Exec("SELECT pg_sleep(3600)");
  signaller.join();
  sigaction(SIGUSR1, &previous, nullptr);

  ASSERT_EQ(code, SQL_ERROR);
  EXPECT_EQ(cancelFromHandler.load(), SQL_SUCCESS);
  EXPECT_EQ(statement.records(), (std::vector<Record>{{"HY008", 0, "Operation canceled"}}));
  statement.Free();
  EXPECT_EQ(Events(source, "CANCEL").size(), 1u);
  EXPECT_EQ(Events(source, "EXEC-RESULT"), std::vector<std::string>{"canceled"});
}

TEST_F(ScriptedDriverTest, BlockUntilCancelTimesOutWithHYT00) {
  Session session;
  const DataSource source = Connected(session, "rule any\n  block-until-cancel 50\nend\n");
  Stmt statement(session);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(statement.Exec("WAITFOR"), SQL_ERROR);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  const std::vector<Record> records = statement.records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].state, "HYT00");
  EXPECT_EQ(Events(source, "EXEC-RESULT"), std::vector<std::string>{"timed-out"});
}

TEST_F(ScriptedDriverTest, SleepWaitsThenAnswers) {
  Session session;
  Connected(session, "rule any\n  sleep 120\n  columns int\n  row 9\nend\n");
  Stmt statement(session);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(statement.Exec("SELECT slowly"), SQL_SUCCESS);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
  ASSERT_EQ(statement.Fetch(), SQL_SUCCESS);
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement.GetInt(1, value, indicator), SQL_SUCCESS);
  EXPECT_EQ(value, 9);
}

TEST_F(ScriptedDriverTest, SqlCancelEndsASleepEarly) {
  Session session;
  const DataSource source = Connected(session, "rule any\n  sleep 20000\nend\n");
  Stmt statement(session);
  std::thread canceller([&] {
    if (WaitForJournalLine(source, "EXEC #1 SELECT slowly")) SQLCancel(statement.handle());
  });
  const auto start = std::chrono::steady_clock::now();
  const SQLRETURN code = statement.Exec("SELECT slowly");
  canceller.join();
  ASSERT_EQ(code, SQL_ERROR);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(statement.records().at(0).state, "HY008");
}

TEST_F(ScriptedDriverTest, CancelWithNothingRunningHasNoEffectButIsJournaled) {
  Session session;
  const DataSource source = Connected(session, "rule any\n  columns int\n  row 1\nend\n");
  Stmt statement(session);
  ASSERT_EQ(statement.Exec("SELECT 1"), SQL_SUCCESS);
  EXPECT_EQ(SQLCancel(statement.handle()), SQL_SUCCESS);
  statement.Free();
  EXPECT_EQ(Events(source, "CANCEL").size(), 1u);
  EXPECT_EQ(Events(source, "EXEC-RESULT"), std::vector<std::string>{"ok"});
}

}  // namespace
