#include "db/connection.h"

#include <gtest/gtest.h>

#include "support/console_capture.h"

using namespace std::string_literals;

// The driver manager takes the connection's texts up to their first NUL byte, so that another
// data source, user or password would be used than the one given: such a text is never sent.
TEST(ConnectionTest, RefusesADsnUserNameOrPasswordHoldingANulByte) {
  const std::string refused = ", and the driver manager would receive only the text before it.\n";
  // The DSN, user name and password; standard error after "Cannot connect to database. DSN='".
  const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
      {"\0twdb"s, "tw", "pw",
       "\0twdb' user='tw'\nConnection refused: the DSN holds a NUL byte at offset 0"s},
      {"twdb", "tw\0x"s, "pw",
       "twdb' user='tw\0x'\nConnection refused: the user name holds a NUL byte at offset 2"s},
      {"twdb", "tw", "pw\0x"s,
       "twdb' user='tw'\nConnection refused: the password holds a NUL byte"},
  };
  for (const auto& [dsn, user, password, err] : rows) {
    DatabaseConnection database;
    int status = 0;
    const Console console =
        Captured([&] { status = ConnectToDatabase(dsn, user, password, database); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "Cannot connect to database. DSN='" + err + refused);
  }
}
