#include "settings/driver_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DriverCase {
  std::string driver;
  DbType expectedType;
  std::string expectedName;
};

void PrintTo(const DriverCase& driverCase, std::ostream* out) {
  *out << "driver '" << driverCase.driver << "'";
}

class DriverNameTest : public ::testing::TestWithParam<DriverCase> {};

TEST_P(DriverNameTest, RecognisesTheKindFromTheLowerCasedDriverName) {
  const DetectedDbType detected = DetectDbTypeFromDriverName(LowerCaseAscii(GetParam().driver));
  EXPECT_EQ(detected.dbType, GetParam().expectedType);
  EXPECT_EQ(detected.name, GetParam().expectedName);
}

INSTANTIATE_TEST_SUITE_P(
    DriverNames, DriverNameTest,
    ::testing::Values(DriverCase{"PostgreSQL Unicode", DbType::postgresql, "postgresql"},
                      DriverCase{"PostgreSQL Unicode(x64)", DbType::postgresql, "postgresql"},
                      DriverCase{"SQL Server", DbType::mssql, "mssql"},
                      DriverCase{"SQL Server Native Client 11.0", DbType::mssql, "mssql"},
                      DriverCase{"MSSQL-ODBC", DbType::mssql, "mssql"},
                      DriverCase{"sql native client 10.0", DbType::mssql, "mssql"},
                      DriverCase{"SQL Native Client", DbType::mssql, "mssql"},
                      // The SQL Server tests look at the start of the name only.
                      DriverCase{"ODBC Driver 13 for SQL Server", DbType::none, ""},
                      DriverCase{"Microsoft SQL Server", DbType::none, ""},
                      DriverCase{" SQL Server", DbType::none, ""},
                      DriverCase{"SQL-Server", DbType::none, ""},
                      DriverCase{"Oracle in OraClient11g_home1", DbType::oracle, "oracle"},
                      DriverCase{"IBM DB2 ODBC DRIVER", DbType::db2, "db2"},
                      // Earlier tests win over later ones.
                      DriverCase{"Oracle to PostgreSQL gateway", DbType::postgresql, "postgresql"},
                      DriverCase{"SQL Server via Oracle", DbType::mssql, "mssql"},
                      DriverCase{"Oracle DB2 bridge", DbType::oracle, "oracle"},
                      // A driver named by its library path says nothing about the kind.
                      DriverCase{"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so", DbType::none, ""},
                      DriverCase{"", DbType::none, ""}));

TEST(LowerCaseAsciiTest, LowersOnlyTheLettersAToZ) {
  // "@" and "[" frame "A" to "Z"; C3 84 is a UTF-8 capital A with diaeresis and stays as it is.
  EXPECT_EQ(LowerCaseAscii("PostgreSQL @AZ[`az{ \xC3\x84"), "postgresql @az[`az{ \xC3\x84");
}

}  // namespace
