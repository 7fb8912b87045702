#include "scripts/script_catalogue.h"

#include <array>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::size_t kCommonEntryCount = 36;

/// The five lists of one database kind: three single entries and the 36 entries that the full
/// list and the build-to-build full list share after their first entry.
struct KindCatalogue {
  std::string_view upgradeEntry;
  std::string_view ormEntry;
  std::string_view buildToBuildEntry;
  std::array<std::string_view, kCommonEntryCount> commonEntries;
};

// One entry per line, in catalogue order.
// clang-format off
constexpr KindCatalogue kMssqlCatalogue{
    "block:upgrade_mssql.sql",
    "block:orm_mssql.sql",
    "tag:b2b_mssql.sql",
    {
        "cmds:TWDB_views_mssql.sql",
        "proc:stats_rollup1_proc_mssql.sql",
        "proc:stats_rollup2_proc_mssql.sql",
        "proc:stats_rollup3_proc_mssql.sql",
        "proc:purge_stat2_proc_mssql.sql",
        "proc:purge_stat3_proc_mssql.sql",
        "proc:l_stats_rollup1_proc_mssql.sql",
        "proc:l_stats_rollup2_proc_mssql.sql",
        "proc:l_stats_rollup3_proc_mssql.sql",
        "proc:l_purge_stat2_proc_mssql.sql",
        "proc:l_purge_stat3_proc_mssql.sql",
        "proc:purge_usage_stats_proc_mssql.sql",
        "cmds:job_schedule1_mssql.sql",
        "cmds:job_schedule2_mssql.sql",
        "cmds:job_schedule3_mssql.sql",
        "proc:cleanup_events_mssql.sql",
        "cmds:job_cleanup_events_mssql.sql",
        "proc:upsert_last_event_proc_mssql.sql",
        "proc:calc_topn1_proc_mssql.sql",
        "proc:calc_topn2_proc_mssql.sql",
        "proc:calc_topn3_proc_mssql.sql",
        "proc:calc_topn4_proc_mssql.sql",
        "proc:clear_topn1_proc_mssql.sql",
        "proc:clear_topn2_proc_mssql.sql",
        "proc:clear_topn3_proc_mssql.sql",
        "proc:clear_topn4_proc_mssql.sql",
        "proc:rule_topn1_proc_mssql.sql",
        "proc:rule_topn2_proc_mssql.sql",
        "proc:rule_topn3_proc_mssql.sql",
        "proc:rule_topn4_proc_mssql.sql",
        "cmds:job_topn_past_day_mssql.sql",
        "cmds:job_topn_past_month_mssql.sql",
        "cmds:job_topn_past_week_mssql.sql",
        "cmds:job_topn_past_year_mssql.sql",
        "proc:process_performance_data_mssql.sql",
        "cmds:job_dbm_performance_data_mssql.sql",
    }};

constexpr KindCatalogue kOracleCatalogue{
    "block:upgrade_oracle.sql",
    "block:orm_oracle.sql",
    "tag:b2b_oracle.sql",
    {
        "cmds:TWDB_views_oracle.sql",
        "proc:stats_rollup1_proc_oracle.sql",
        "proc:stats_rollup2_proc_oracle.sql",
        "proc:stats_rollup3_proc_oracle.sql",
        "proc:purge_stat2_proc_oracle.sql",
        "proc:purge_stat3_proc_oracle.sql",
        "proc:purge_usage_stats_proc_oracle.sql",
        "proc:l_stats_rollup1_proc_oracle.sql",
        "proc:l_stats_rollup2_proc_oracle.sql",
        "proc:l_stats_rollup3_proc_oracle.sql",
        "proc:l_purge_stat2_proc_oracle.sql",
        "proc:l_purge_stat3_proc_oracle.sql",
        "batch:job_schedule1_oracle.sql",
        "batch:job_schedule2_oracle.sql",
        "batch:job_schedule3_oracle.sql",
        "proc:cleanup_events_oracle.sql",
        "batch:job_cleanup_events_oracle.sql",
        "proc:upsert_last_event_proc_oracle.sql",
        "proc:calc_topn1_proc_oracle.sql",
        "proc:calc_topn2_proc_oracle.sql",
        "proc:calc_topn3_proc_oracle.sql",
        "proc:calc_topn4_proc_oracle.sql",
        "proc:clear_topn1_proc_oracle.sql",
        "proc:clear_topn2_proc_oracle.sql",
        "proc:clear_topn3_proc_oracle.sql",
        "proc:clear_topn4_proc_oracle.sql",
        "proc:rule_topn1_proc_oracle.sql",
        "proc:rule_topn2_proc_oracle.sql",
        "proc:rule_topn3_proc_oracle.sql",
        "proc:rule_topn4_proc_oracle.sql",
        "batch:job_topn_past_day_oracle.sql",
        "batch:job_topn_past_month_oracle.sql",
        "batch:job_topn_past_week_oracle.sql",
        "batch:job_topn_past_year_oracle.sql",
        "proc:process_performance_data_oracle.sql",
        "batch:job_dbm_performance_data_oracle.sql",
    }};

constexpr KindCatalogue kPostgresqlCatalogue{
    "block:upgrade_PostgreSQL.sql",
    "block:orm_PostgreSQL.sql",
    "tag:b2b_PostgreSQL.sql",
    {
        "cmds:TWDB_views_PostgreSQL.sql",
        "proc:stats_rollup1_proc_PostgreSQL.sql",
        "proc:stats_rollup2_proc_PostgreSQL.sql",
        "proc:stats_rollup3_proc_PostgreSQL.sql",
        "proc:purge_stat2_proc_PostgreSQL.sql",
        "proc:purge_stat3_proc_PostgreSQL.sql",
        "proc:purge_usage_stats_proc_PostgreSQL.sql",
        "proc:l_stats_rollup1_proc_PostgreSQL.sql",
        "proc:l_stats_rollup2_proc_PostgreSQL.sql",
        "proc:l_stats_rollup3_proc_PostgreSQL.sql",
        "proc:l_purge_stat2_proc_PostgreSQL.sql",
        "proc:l_purge_stat3_proc_PostgreSQL.sql",
        "batch:job_schedule1_PostgreSQL.sql",
        "batch:job_schedule2_PostgreSQL.sql",
        "batch:job_schedule3_PostgreSQL.sql",
        "proc:cleanup_events_PostgreSQL.sql",
        "batch:job_cleanup_events_PostgreSQL.sql",
        "proc:upsert_last_event_proc_PostgreSQL.sql",
        "proc:calc_topn1_proc_PostgreSQL.sql",
        "proc:calc_topn2_proc_PostgreSQL.sql",
        "proc:calc_topn3_proc_PostgreSQL.sql",
        "proc:calc_topn4_proc_PostgreSQL.sql",
        "proc:clear_topn1_proc_PostgreSQL.sql",
        "proc:clear_topn2_proc_PostgreSQL.sql",
        "proc:clear_topn3_proc_PostgreSQL.sql",
        "proc:clear_topn4_proc_PostgreSQL.sql",
        "proc:rule_topn1_proc_PostgreSQL.sql",
        "proc:rule_topn2_proc_PostgreSQL.sql",
        "proc:rule_topn3_proc_PostgreSQL.sql",
        "proc:rule_topn4_proc_PostgreSQL.sql",
        "batch:job_topn_past_day_PostgreSQL.sql",
        "batch:job_topn_past_month_PostgreSQL.sql",
        "batch:job_topn_past_week_PostgreSQL.sql",
        "batch:job_topn_past_year_PostgreSQL.sql",
        "proc:process_performance_data_PostgreSQL.sql",
        "batch:job_dbm_performance_data_PostgreSQL.sql",
    }};

// clang-format on

/// The catalogue of a kind that has scripts; nullptr for any other kind.
const KindCatalogue* FindKindCatalogue(DbType dbType) {
  switch (dbType) {
    case DbType::mssql:
      return &kMssqlCatalogue;
    case DbType::oracle:
      return &kOracleCatalogue;
    case DbType::postgresql:
      return &kPostgresqlCatalogue;
    default:
      return nullptr;
  }
}

std::vector<std::string> MakeSingleList(std::string_view entry) {
  return {std::string(entry)};
}

/// The 37-entry list: the given first entry followed by the kind's shared entries.
std::vector<std::string> MakeFullList(std::string_view firstEntry, const KindCatalogue& kind) {
  std::vector<std::string> entries;
  entries.reserve(kCommonEntryCount + 1);
  entries.emplace_back(firstEntry);
  entries.insert(entries.end(), kind.commonEntries.begin(), kind.commonEntries.end());
  return entries;
}

}  // namespace

std::string GetScriptFolder(int baseVersion, DbType dbType) {
  std::string_view stepFolder;
  switch (baseVersion) {
    case 550:
      stepFolder = "Upgrade-v2013-to-v2015";
      break;
    case 600:
      stepFolder = "Upgrade-v2015-to-v2016";
      break;
    case 650:
      stepFolder = "Upgrade-v2016-to-v2017";
      break;
    default:
      throw std::runtime_error("GetScriptFolder() Invalid base version.");
  }
  const KindCatalogue* kind = FindKindCatalogue(dbType);
  if (kind == nullptr) throw std::runtime_error("GetScriptFolder() Invalid DB type.");
  std::string folder(stepFolder);
  folder += '\\';
  folder += GetDbTypeFacts(dbType).name;
  return folder;
}

std::vector<std::string> GetScripts(int baseVersion, DbType dbType, bool afterLaunch) {
  const KindCatalogue* kind = FindKindCatalogue(dbType);
  if (kind == nullptr) throw std::runtime_error("GetScripts() Invalid DB type.");
  switch (baseVersion) {
    case 550:
      if (afterLaunch) return {};
      return MakeSingleList(kind->upgradeEntry);
    case 600:
      return MakeSingleList(afterLaunch ? kind->ormEntry : kind->upgradeEntry);
    case 650:
      if (afterLaunch) return MakeSingleList(kind->ormEntry);
      return MakeFullList(kind->upgradeEntry, *kind);
    default:
      throw std::runtime_error("GetScripts() Invalid base version.");
  }
}

std::vector<std::string> GetBuildToBuildScripts(int baseVersion, DbType dbType, bool afterLaunch) {
  std::cout << " GetBuildToBuildScripts  base ver  : '" << baseVersion << "'" << std::endl;
  const KindCatalogue* kind = FindKindCatalogue(dbType);
  if (kind == nullptr) throw std::runtime_error("GetBuildToBuildScripts() Invalid DB type. ");
  switch (baseVersion) {
    case 600:
      return MakeSingleList(afterLaunch ? kind->ormEntry : kind->buildToBuildEntry);
    case 650:
      if (afterLaunch) return MakeSingleList(kind->ormEntry);
      return MakeFullList(kind->buildToBuildEntry, *kind);
    default:
      throw std::runtime_error("GetBuildToBuildScripts() Invalid base version.");
  }
}
