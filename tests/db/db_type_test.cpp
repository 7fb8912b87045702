#include "db/db_type.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(DbTypeTest, ParsesOnlyTheExactLowerCaseNames) {
  EXPECT_EQ(ParseDbType("mssql"), DbType::mssql);
  EXPECT_EQ(ParseDbType("oracle"), DbType::oracle);
  EXPECT_EQ(ParseDbType("postgresql"), DbType::postgresql);
  for (const char* name : {"MSSQL", "PostgreSQL", " mssql", "db2", "", "none", "oracle "}) {
    EXPECT_EQ(ParseDbType(name), DbType::none) << name;
  }
}

TEST(DbTypeTest, WritesTheDisplayName) {
  const std::pair<DbType, const char*> cases[] = {
      {DbType::none, "NONE"},           {DbType::mssql, "mssql"}, {DbType::oracle, "oracle"},
      {DbType::db2, "db2"},             {DbType::postgresql, "PostgreSQL"},
      {static_cast<DbType>(7), "invalid"},
  };
  for (const auto& [type, name] : cases) {
    std::ostringstream out;
    out << type;
    EXPECT_EQ(out.str(), name);
  }
}

}  // namespace
