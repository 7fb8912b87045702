#include "db/connection.h"

#include <gtest/gtest.h>

#include "support/console_capture.h"

using namespace std::string_literals;

// The driver manager takes the connection's texts up to their first NUL byte, so that another
// data source, user or password would be used than the one given: such a text is never sent.
TEST(ConnectionTest, RefusesADsnUserNameOrPasswordHoldingANulByte) {
  const std::string refused = ", and the driver manager would receive only the text before it.\n";
  const std::string header = "Cannot connect to database. DSN='";
  const struct {
    std::string dsn, user, password, err;
  } rows[] = {
      {"\0twdb"s, "tw", "pw",
       header + "\0twdb' user='tw'\nConnection refused: the DSN holds a NUL byte at offset 0"s +
           refused},
      {"twdb", "tw\0x"s, "pw",
       header +
           "twdb' user='tw\0x'\nConnection refused: the user name holds a NUL byte at offset 2"s +
           refused},
      {"twdb", "tw", "pw\0x"s,
       header + "twdb' user='tw'\nConnection refused: the password holds a NUL byte" + refused},
  };
  for (const auto& row : rows) {
    DatabaseConnection database;
    int status = 0;
    const Console console =
        Captured([&] { status = ConnectToDatabase(row.dsn, row.user, row.password, database); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, row.err);
  }
}
