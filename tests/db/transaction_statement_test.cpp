#include "db/transaction_statement.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

TEST(TransactionStatementTest, FollowsTheStatementsThatBeginAndEndATransaction) {
  const std::tuple<DbType, bool, std::string, bool> cases[] = {
      {DbType::postgresql, false, "BEGIN", true},
      {DbType::postgresql, false, "  begin work ;\n", true},
      {DbType::postgresql, false, "START TRANSACTION ISOLATION LEVEL SERIALIZABLE;", true},
      {DbType::postgresql, false, "START", false},
      {DbType::postgresql, true, "COMMIT", false},
      {DbType::postgresql, true, "end;", false},
      {DbType::postgresql, true, "ABORT", false},
      {DbType::postgresql, true, "ROLLBACK", false},
      {DbType::postgresql, true, "ROLLBACK TO SAVEPOINT s", true},
      {DbType::postgresql, true, "COMMIT PREPARED 'x'", true},
      {DbType::postgresql, true, "PREPARE TRANSACTION 'x'", false},
      {DbType::postgresql, true, "INSERT INTO t VALUES (1)", true},
      {DbType::postgresql, false, "BEGIN; INSERT INTO t VALUES (1)", false},  // several statements
      {DbType::postgresql, false, "DO $$BEGIN PERFORM 1; END$$", false},
      {DbType::postgresql, false, "", false},
      {DbType::mssql, false, "BEGIN TRANSACTION", true},
      {DbType::mssql, false, "begin tran", true},
      {DbType::mssql, false, "BEGIN DISTRIBUTED TRANSACTION", true},
      {DbType::mssql, false, "BEGIN\n  SELECT 1\nEND", false},  // a statement block
      {DbType::mssql, true, "COMMIT TRAN", false},
      {DbType::mssql, true, "ROLLBACK TRANSACTION", false},
      {DbType::oracle, false, "BEGIN", false},  // every statement commits by itself
      {DbType::oracle, true, "SET TRANSACTION READ ONLY", false},
  };
  for (const auto& [dbType, openBefore, text, openAfter] : cases) {
    EXPECT_EQ(IsTransactionOpenAfter(openBefore, text, dbType), openAfter)
        << text << " (kind " << dbType << ", open before: " << openBefore << ")";
  }
}
