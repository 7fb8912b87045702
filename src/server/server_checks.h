#pragma once

#include "db/database.h"

class RecoveryModeGuard;

// The statements of the checks.
inline constexpr const char* kCreateValidationFunction =
    "CREATE FUNCTION schemalift_mssql_validate() "
    "RETURNS @tbl TABLE(server_version INT, ver_comp VARCHAR(200)) "
    "AS "
    "BEGIN "
    "INSERT @tbl "
    "SELECT SUM(server_version) as server_version, "
    "MAX(ver) + '; Compatibility Level ' + MAX(comp) as ver_comp "
    "FROM ( "
    "SELECT COUNT(0) as server_version, "
    "CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) + ' ' "
    "+ CAST(SERVERPROPERTY('Edition') AS varchar(30)) as ver, "
    "'' as comp "
    "FROM ( "
    "SELECT CAST(SERVERPROPERTY('ProductVersion') AS varchar(30)) ProductVersion, "
    "CAST(SERVERPROPERTY('Edition') AS varchar(30)) Edition) db_serv "
    "WHERE REPLACE(ProductVersion, '.0.', '.00.') < "
    "(CASE "
    "WHEN ProductVersion LIKE '12.%' THEN '12.00.2000' "
    "WHEN ProductVersion LIKE '10.%' THEN '10.50.2500' "
    "ELSE '11.00.2100.60' "
    "END) "
    "OR (Edition NOT LIKE 'Standard%' AND "
    "Edition NOT LIKE 'Enterprise%' AND "
    "Edition NOT LIKE 'Express%' AND "
    "Edition NOT LIKE 'Data_Center%') "
    "UNION ALL "
    "SELECT CASE "
    "WHEN compatibility_level < 100 THEN CAST(2 AS INT) "
    "ELSE CAST(0 AS INT) "
    "END as server_version, "
    "'' as ver, "
    "CAST(compatibility_level AS VARCHAR(3)) as comp "
    "FROM sys.databases "
    "WHERE name = db_name() "
    "UNION ALL "
    "SELECT COUNT(0) * 4 as server_version, "
    "'' as ver, "
    "'' as comp "
    "FROM sys.database_mirroring "
    "WHERE database_id = db_id() "
    "AND mirroring_state IS NOT NULL) AS tbl_check; "
    "RETURN; "
    "END;";

inline constexpr const char* kValidationQuery = "select * from schemalift_mssql_validate()";
inline constexpr const char* kDropValidationFunction = "DROP FUNCTION schemalift_mssql_validate;";

inline constexpr const char* kOracleVersionQuery =
    "WITH req AS ( "
    "SELECT prod_prefix, prod_release, edition, version, patch_level "
    "FROM ( "
    "SELECT 'Oracle Database' AS prod_prefix "
    "FROM DUAL "
    ") prefix, "
    "( "
    "SELECT '11g' AS prod_release, "
    "'11.2.0.' AS version, "
    "'3' AS patch_level "
    "FROM DUAL "
    "UNION ALL "
    "SELECT '12c' AS prod_release, "
    "'12.1.0.' AS version, "
    "'' AS patch_level "
    "FROM DUAL "
    ") srv_release, "
    "( "
    "SELECT 'Standard' AS edition "
    "FROM DUAL "
    "UNION ALL "
    "SELECT 'Enterprise' AS edition "
    "FROM DUAL "
    ") srv_edition "
    ") "
    "SELECT COUNT(0) AS server_version, "
    "MAX(product) || ' ' || MAX(version) "
    "FROM ( "
    "SELECT product, version, "
    "DECODE(INSTR(product, 'Enterprise'), "
    "0, DECODE(INSTR(product, 'Personal'), "
    "0, DECODE(INSTR(product, 'Express'), "
    "0, 'Standard', "
    "'Express'), "
    "'Personal'), "
    "'Enterprise') AS edition "
    "FROM product_component_version "
    "WHERE product LIKE '%Oracle Database%' "
    ") pcv "
    "WHERE NOT EXISTS ( "
    "SELECT 1 "
    "FROM req "
    "WHERE pcv.product LIKE (req.prod_prefix || ' ' || req.prod_release || '%') "
    "AND pcv.edition = req.edition "
    "AND pcv.version LIKE (req.version || '%') "
    "AND pcv.version >= (req.version || NVL(req.patch_level, '0')) "
    ")";

inline constexpr const char* kJobsQuery =
    "SELECT distinct j.name "
    "FROM msdb.dbo.sysjobs j "
    "JOIN msdb.dbo.sysjobsteps t "
    "ON j.job_id = t.job_id "
    "AND t.database_name = db_name() "
    "LEFT JOIN msdb.dbo.sysjobs_view v "
    "ON v.name = j.name "
    "WHERE v.name IS NULL";

/// SQL Server version, edition, compatibility level and mirroring; true when the server passed.
bool ValidateMssqlServer(RecoveryModeGuard& recoveryGuard);

/// Oracle product, edition and version; true when the server passed.
bool ValidateOracleServer(Database& database);

/// SQL Server Agent jobs on this database that the login cannot see; true when there is none.
bool ValidateMssqlJobs(RecoveryModeGuard& recoveryGuard);
