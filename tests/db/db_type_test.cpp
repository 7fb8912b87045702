#include "db/db_type.h"

#include <gtest/gtest.h>

TEST(DbTypeTest, ParsesTheExactNamesOfTheKindsWithScripts) {
  for (const auto& [name, dbType, displayName] : {std::tuple{"mssql", DbType::mssql, "mssql"},
                                                  {"oracle", DbType::oracle, "oracle"},
                                                  {"postgresql", DbType::postgresql, "PostgreSQL"},
                                                  {"db2", DbType::none, "NONE"},
                                                  {"Oracle", DbType::none, "NONE"},
                                                  {"mssql ", DbType::none, "NONE"}}) {
    EXPECT_EQ(ParseDbType(name), dbType) << name;
    EXPECT_EQ(DbTypeDisplayName(dbType), displayName) << name;
  }
}
