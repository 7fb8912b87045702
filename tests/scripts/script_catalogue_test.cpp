#include "scripts/script_catalogue.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "script_test_support.h"

namespace {

/// Positions 2 to 37 of the full lists, per kind, as the catalogue documents them.
struct SharedRow {
  int position;
  const char* mssql;
  const char* oracle;
  const char* postgresql;
};

// clang-format off
const SharedRow kSharedRows[] = {
    {2, "cmds:TWDB_views_mssql.sql", "cmds:TWDB_views_oracle.sql", "cmds:TWDB_views_PostgreSQL.sql"},
    {3, "proc:stats_rollup1_proc_mssql.sql", "proc:stats_rollup1_proc_oracle.sql", "proc:stats_rollup1_proc_PostgreSQL.sql"},
    {4, "proc:stats_rollup2_proc_mssql.sql", "proc:stats_rollup2_proc_oracle.sql", "proc:stats_rollup2_proc_PostgreSQL.sql"},
    {5, "proc:stats_rollup3_proc_mssql.sql", "proc:stats_rollup3_proc_oracle.sql", "proc:stats_rollup3_proc_PostgreSQL.sql"},
    {6, "proc:purge_stat2_proc_mssql.sql", "proc:purge_stat2_proc_oracle.sql", "proc:purge_stat2_proc_PostgreSQL.sql"},
    {7, "proc:purge_stat3_proc_mssql.sql", "proc:purge_stat3_proc_oracle.sql", "proc:purge_stat3_proc_PostgreSQL.sql"},
    {8, "proc:l_stats_rollup1_proc_mssql.sql", "proc:purge_usage_stats_proc_oracle.sql", "proc:purge_usage_stats_proc_PostgreSQL.sql"},
    {9, "proc:l_stats_rollup2_proc_mssql.sql", "proc:l_stats_rollup1_proc_oracle.sql", "proc:l_stats_rollup1_proc_PostgreSQL.sql"},
    {10, "proc:l_stats_rollup3_proc_mssql.sql", "proc:l_stats_rollup2_proc_oracle.sql", "proc:l_stats_rollup2_proc_PostgreSQL.sql"},
    {11, "proc:l_purge_stat2_proc_mssql.sql", "proc:l_stats_rollup3_proc_oracle.sql", "proc:l_stats_rollup3_proc_PostgreSQL.sql"},
    {12, "proc:l_purge_stat3_proc_mssql.sql", "proc:l_purge_stat2_proc_oracle.sql", "proc:l_purge_stat2_proc_PostgreSQL.sql"},
    {13, "proc:purge_usage_stats_proc_mssql.sql", "proc:l_purge_stat3_proc_oracle.sql", "proc:l_purge_stat3_proc_PostgreSQL.sql"},
    {14, "cmds:job_schedule1_mssql.sql", "batch:job_schedule1_oracle.sql", "batch:job_schedule1_PostgreSQL.sql"},
    {15, "cmds:job_schedule2_mssql.sql", "batch:job_schedule2_oracle.sql", "batch:job_schedule2_PostgreSQL.sql"},
    {16, "cmds:job_schedule3_mssql.sql", "batch:job_schedule3_oracle.sql", "batch:job_schedule3_PostgreSQL.sql"},
    {17, "proc:cleanup_events_mssql.sql", "proc:cleanup_events_oracle.sql", "proc:cleanup_events_PostgreSQL.sql"},
    {18, "cmds:job_cleanup_events_mssql.sql", "batch:job_cleanup_events_oracle.sql", "batch:job_cleanup_events_PostgreSQL.sql"},
    {19, "proc:upsert_last_event_proc_mssql.sql", "proc:upsert_last_event_proc_oracle.sql", "proc:upsert_last_event_proc_PostgreSQL.sql"},
    {20, "proc:calc_topn1_proc_mssql.sql", "proc:calc_topn1_proc_oracle.sql", "proc:calc_topn1_proc_PostgreSQL.sql"},
    {21, "proc:calc_topn2_proc_mssql.sql", "proc:calc_topn2_proc_oracle.sql", "proc:calc_topn2_proc_PostgreSQL.sql"},
    {22, "proc:calc_topn3_proc_mssql.sql", "proc:calc_topn3_proc_oracle.sql", "proc:calc_topn3_proc_PostgreSQL.sql"},
    {23, "proc:calc_topn4_proc_mssql.sql", "proc:calc_topn4_proc_oracle.sql", "proc:calc_topn4_proc_PostgreSQL.sql"},
    {24, "proc:clear_topn1_proc_mssql.sql", "proc:clear_topn1_proc_oracle.sql", "proc:clear_topn1_proc_PostgreSQL.sql"},
    {25, "proc:clear_topn2_proc_mssql.sql", "proc:clear_topn2_proc_oracle.sql", "proc:clear_topn2_proc_PostgreSQL.sql"},
    {26, "proc:clear_topn3_proc_mssql.sql", "proc:clear_topn3_proc_oracle.sql", "proc:clear_topn3_proc_PostgreSQL.sql"},
    {27, "proc:clear_topn4_proc_mssql.sql", "proc:clear_topn4_proc_oracle.sql", "proc:clear_topn4_proc_PostgreSQL.sql"},
    {28, "proc:rule_topn1_proc_mssql.sql", "proc:rule_topn1_proc_oracle.sql", "proc:rule_topn1_proc_PostgreSQL.sql"},
    {29, "proc:rule_topn2_proc_mssql.sql", "proc:rule_topn2_proc_oracle.sql", "proc:rule_topn2_proc_PostgreSQL.sql"},
    {30, "proc:rule_topn3_proc_mssql.sql", "proc:rule_topn3_proc_oracle.sql", "proc:rule_topn3_proc_PostgreSQL.sql"},
    {31, "proc:rule_topn4_proc_mssql.sql", "proc:rule_topn4_proc_oracle.sql", "proc:rule_topn4_proc_PostgreSQL.sql"},
    {32, "cmds:job_topn_past_day_mssql.sql", "batch:job_topn_past_day_oracle.sql", "batch:job_topn_past_day_PostgreSQL.sql"},
    {33, "cmds:job_topn_past_month_mssql.sql", "batch:job_topn_past_month_oracle.sql", "batch:job_topn_past_month_PostgreSQL.sql"},
    {34, "cmds:job_topn_past_week_mssql.sql", "batch:job_topn_past_week_oracle.sql", "batch:job_topn_past_week_PostgreSQL.sql"},
    {35, "cmds:job_topn_past_year_mssql.sql", "batch:job_topn_past_year_oracle.sql", "batch:job_topn_past_year_PostgreSQL.sql"},
    {36, "proc:process_performance_data_mssql.sql", "proc:process_performance_data_oracle.sql", "proc:process_performance_data_PostgreSQL.sql"},
    {37, "cmds:job_dbm_performance_data_mssql.sql", "batch:job_dbm_performance_data_oracle.sql", "batch:job_dbm_performance_data_PostgreSQL.sql"},
};
// clang-format on

std::vector<std::string> SharedEntries(DbType dbType) {
  std::vector<std::string> entries;
  for (const SharedRow& row : kSharedRows) {
    entries.emplace_back(dbType == DbType::mssql    ? row.mssql
                         : dbType == DbType::oracle ? row.oracle
                                                    : row.postgresql);
  }
  return entries;
}

std::vector<std::string> Prepend(const std::string& first, std::vector<std::string> rest) {
  rest.insert(rest.begin(), first);
  return rest;
}

struct KindNames {
  DbType dbType;
  const char* folder;
  const char* suffix;
};

const KindNames kKinds[] = {
    {DbType::mssql, "mssql", "mssql"},
    {DbType::oracle, "oracle", "oracle"},
    {DbType::postgresql, "postgresql", "PostgreSQL"},
};

std::string ThrownText(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::runtime_error& failure) {
    return failure.what();
  }
  return "(nothing thrown)";
}

TEST(ScriptCatalogueTest, SharedTableHasPositionsTwoToThirtySeven) {
  int expected = 2;
  for (const SharedRow& row : kSharedRows) EXPECT_EQ(row.position, expected++);
  EXPECT_EQ(expected, 38);
}

TEST(ScriptCatalogueTest, ScriptFolderJoinsStepAndKindWithBackslash) {
  EXPECT_EQ(GetScriptFolder(550, DbType::mssql), "Upgrade-v2013-to-v2015\\mssql");
  EXPECT_EQ(GetScriptFolder(600, DbType::oracle), "Upgrade-v2015-to-v2016\\oracle");
  EXPECT_EQ(GetScriptFolder(650, DbType::postgresql), "Upgrade-v2016-to-v2017\\postgresql");
  EXPECT_EQ(GetScriptFolder(550, DbType::postgresql), "Upgrade-v2013-to-v2015\\postgresql");
  EXPECT_EQ(GetScriptFolder(650, DbType::mssql), "Upgrade-v2016-to-v2017\\mssql");
}

TEST(ScriptCatalogueTest, SingleEntryListsOfEveryKind) {
  for (const KindNames& kind : kKinds) {
    SCOPED_TRACE(kind.folder);
    const std::string suffix = kind.suffix;
    const std::vector<std::string> upgrade{"block:upgrade_" + suffix + ".sql"};
    const std::vector<std::string> orm{"block:orm_" + suffix + ".sql"};
    const std::vector<std::string> tag{"tag:b2b_" + suffix + ".sql"};
    EXPECT_EQ(GetScripts(550, kind.dbType, false), upgrade);
    EXPECT_EQ(GetScripts(550, kind.dbType, true), std::vector<std::string>{});
    EXPECT_EQ(GetScripts(600, kind.dbType, false), upgrade);
    EXPECT_EQ(GetScripts(600, kind.dbType, true), orm);
    EXPECT_EQ(GetScripts(650, kind.dbType, true), orm);
    ConsoleCapture console;
    EXPECT_EQ(GetBuildToBuildScripts(600, kind.dbType, false), tag);
    EXPECT_EQ(GetBuildToBuildScripts(600, kind.dbType, true), orm);
    EXPECT_EQ(GetBuildToBuildScripts(650, kind.dbType, true), orm);
  }
}

TEST(ScriptCatalogueTest, FullListsHaveThirtySevenEntries) {
  for (const KindNames& kind : kKinds) {
    SCOPED_TRACE(kind.folder);
    const std::string suffix = kind.suffix;
    EXPECT_EQ(GetScripts(650, kind.dbType, false),
              Prepend("block:upgrade_" + suffix + ".sql", SharedEntries(kind.dbType)));
    ConsoleCapture console;
    EXPECT_EQ(GetBuildToBuildScripts(650, kind.dbType, false),
              Prepend("tag:b2b_" + suffix + ".sql", SharedEntries(kind.dbType)));
  }
}

TEST(ScriptCatalogueTest, SqlServerOrderAndKindsDifferFromTheOthers) {
  const std::vector<std::string> mssql = GetScripts(650, DbType::mssql, false);
  ASSERT_EQ(mssql.size(), 37u);
  EXPECT_EQ(mssql[12], "proc:purge_usage_stats_proc_mssql.sql");
  EXPECT_EQ(mssql[13], "cmds:job_schedule1_mssql.sql");
  const std::vector<std::string> oracle = GetScripts(650, DbType::oracle, false);
  ASSERT_EQ(oracle.size(), 37u);
  EXPECT_EQ(oracle[7], "proc:purge_usage_stats_proc_oracle.sql");
  EXPECT_EQ(oracle[13], "batch:job_schedule1_oracle.sql");
  const std::vector<std::string> postgresql = GetScripts(650, DbType::postgresql, false);
  EXPECT_EQ(postgresql[7], "proc:purge_usage_stats_proc_PostgreSQL.sql");
  EXPECT_EQ(postgresql[36], "batch:job_dbm_performance_data_PostgreSQL.sql");
  for (const int position : {14, 15, 16, 18, 32, 33, 34, 35, 37}) {
    SCOPED_TRACE(position);
    EXPECT_TRUE(mssql[position - 1].starts_with("cmds:job_"));
    EXPECT_TRUE(oracle[position - 1].starts_with("batch:job_"));
    EXPECT_TRUE(postgresql[position - 1].starts_with("batch:job_"));
  }
}

TEST(ScriptCatalogueTest, BuildToBuildLookupWritesItsBaseVersionLine) {
  ConsoleCapture console;
  GetBuildToBuildScripts(650, DbType::oracle, true);
  EXPECT_EQ(console.out(), " GetBuildToBuildScripts  base ver  : '650'\n");
  EXPECT_EQ(console.err(), "");
}

TEST(ScriptCatalogueTest, ErrorTextsOfScripts) {
  EXPECT_EQ(ThrownText([] { GetScripts(700, DbType::mssql, false); }),
            "GetScripts() Invalid base version.");
  EXPECT_EQ(ThrownText([] { GetScripts(575, DbType::postgresql, true); }),
            "GetScripts() Invalid base version.");
  EXPECT_EQ(ThrownText([] { GetScripts(600, DbType::none, false); }),
            "GetScripts() Invalid DB type.");
  EXPECT_EQ(ThrownText([] { GetScripts(600, DbType::db2, false); }),
            "GetScripts() Invalid DB type.");
  EXPECT_EQ(ThrownText([] { GetScripts(600, static_cast<DbType>(9), false); }),
            "GetScripts() Invalid DB type.");
}

TEST(ScriptCatalogueTest, ErrorTextsOfScriptFolder) {
  EXPECT_EQ(ThrownText([] { GetScriptFolder(575, DbType::mssql); }),
            "GetScriptFolder() Invalid base version.");
  EXPECT_EQ(ThrownText([] { GetScriptFolder(600, DbType::db2); }),
            "GetScriptFolder() Invalid DB type.");
  EXPECT_EQ(ThrownText([] { GetScriptFolder(650, DbType::none); }),
            "GetScriptFolder() Invalid DB type.");
}

TEST(ScriptCatalogueTest, ErrorTextsOfBuildToBuildScripts) {
  ConsoleCapture console;
  EXPECT_EQ(ThrownText([] { GetBuildToBuildScripts(550, DbType::mssql, false); }),
            "GetBuildToBuildScripts() Invalid base version.");
  EXPECT_EQ(ThrownText([] { GetBuildToBuildScripts(575, DbType::oracle, true); }),
            "GetBuildToBuildScripts() Invalid base version.");
  EXPECT_EQ(ThrownText([] { GetBuildToBuildScripts(600, DbType::db2, false); }),
            "GetBuildToBuildScripts() Invalid DB type. ");
  // The base-version line comes before every check.
  EXPECT_EQ(console.OutLines(), (std::vector<std::string>{
                                    " GetBuildToBuildScripts  base ver  : '550'",
                                    " GetBuildToBuildScripts  base ver  : '575'",
                                    " GetBuildToBuildScripts  base ver  : '600'",
                                }));
}

TEST(ScriptCatalogueTest, OrderOfChecks) {
  // The script lists check the kind first; the folder checks the base version first.
  EXPECT_EQ(ThrownText([] { GetScripts(700, DbType::none, false); }),
            "GetScripts() Invalid DB type.");
  EXPECT_EQ(ThrownText([] { GetScriptFolder(700, DbType::none); }),
            "GetScriptFolder() Invalid base version.");
  ConsoleCapture console;
  EXPECT_EQ(ThrownText([] { GetBuildToBuildScripts(550, DbType::db2, false); }),
            "GetBuildToBuildScripts() Invalid DB type. ");
}

TEST(ScriptCatalogueTest, OnlyExactBaseVersionsAreAccepted) {
  for (const int baseVersion : {549, 551, 599, 601, 649, 651, 0, -600}) {
    SCOPED_TRACE(baseVersion);
    EXPECT_THROW(GetScripts(baseVersion, DbType::postgresql, false), std::runtime_error);
    EXPECT_THROW(GetScriptFolder(baseVersion, DbType::postgresql), std::runtime_error);
    ConsoleCapture console;
    EXPECT_THROW(GetBuildToBuildScripts(baseVersion, DbType::postgresql, false),
                 std::runtime_error);
  }
}

TEST(ScriptCatalogueTest, EachCallReturnsAFreshCopy) {
  std::vector<std::string> first = GetScripts(650, DbType::oracle, false);
  const std::vector<std::string> second = GetScripts(650, DbType::oracle, false);
  first[0] = "changed";
  first.pop_back();
  EXPECT_EQ(second.size(), 37u);
  EXPECT_EQ(second[0], "block:upgrade_oracle.sql");
  const std::vector<std::string> third = GetScripts(650, DbType::oracle, false);
  EXPECT_EQ(third, second);
  ConsoleCapture console;
  std::vector<std::string> tags = GetBuildToBuildScripts(600, DbType::mssql, false);
  tags.push_back("extra");
  EXPECT_EQ(GetBuildToBuildScripts(600, DbType::mssql, false),
            std::vector<std::string>{"tag:b2b_mssql.sql"});
}

}  // namespace
