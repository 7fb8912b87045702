#include <gtest/gtest.h>

#include "validation/nolock_variant.h"

namespace {

constexpr const char* kSqlServerText =
    "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 WITH (NOLOCK) JOIN TWX_ENTITY e2 WITH (NOLOCK) "
    "ON e1.ID = e2.PARENT_ID";

TEST(NolockVariantTest, SqlServerKeepsTheHints) {
  EXPECT_EQ(SelectQueryVariant(kSqlServerText, DbType::mssql), kSqlServerText);
}

TEST(NolockVariantTest, EveryOtherKindLosesEveryHint) {
  const std::string plain =
      "SELECT MIN(e1.NAME) AS CL FROM TWX_ENTITY e1 JOIN TWX_ENTITY e2 ON e1.ID = e2.PARENT_ID";
  EXPECT_EQ(SelectQueryVariant(kSqlServerText, DbType::oracle), plain);
  EXPECT_EQ(SelectQueryVariant(kSqlServerText, DbType::postgresql), plain);
  EXPECT_EQ(SelectQueryVariant(kSqlServerText, DbType::none), plain);
}

TEST(NolockVariantTest, RemovesOnlyTheWholeHintWithItsLeadingBlank) {
  EXPECT_EQ(RemoveNolockHints("FROM T WITH (NOLOCK)"), "FROM T");
  EXPECT_EQ(RemoveNolockHints("FROM T WITH (NOLOCK) WITH (NOLOCK)x"), "FROM Tx");
  EXPECT_EQ(RemoveNolockHints("FROM T WITH(NOLOCK)"), "FROM T WITH(NOLOCK)");
  EXPECT_EQ(RemoveNolockHints("FROM T with (nolock)"), "FROM T with (nolock)");
  EXPECT_EQ(RemoveNolockHints(""), "");
  EXPECT_EQ(RemoveNolockHints(" WITH (NOLOCK)"), "");
}

}  // namespace
