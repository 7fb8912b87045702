-- Schema validation before an upgrade from schema version 600 (Tarnwell 2015).
-- Block script: each statement ends at a line holding only "/". It starts the findings table
-- TWX_PREUPGRADE_VERIFICATION (one row per inconsistency, column INCONSISTENCIE), which
-- validate_PostgreSQL.sql fills further and schemalift copies to the warnings file and drops.
DROP TABLE IF EXISTS TWX_PREUPGRADE_VERIFICATION
/
CREATE TABLE TWX_PREUPGRADE_VERIFICATION (
  INCONSISTENCIE VARCHAR(2500)
)
/
-- Tables that the upgrade from 600 reads or changes.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'missing-table: ' || r.TABLE_NAME
  FROM (VALUES ('TWX_VERSION'), ('TWX_PATCH_VERSION'), ('TWX_SETTING'), ('TWX_TABLE'),
               ('TWX_INDEX_COLUMN'), ('TWX_SCHEMA_HASH'), ('TWX_ENTITY'), ('TWX_HOST'),
               ('TWX_PROFILE'), ('TWX_DVS'), ('TWX_DVPORTGROUP'), ('TWX_VM_CONFIG_INFO'),
               ('TWX_EVENT'), ('TWX_STAT_COUNTER'), ('TWX_HIST_STAT1'), ('TWX_HIST_STAT2'),
               ('TWX_HIST_STAT3'), ('TWX_EVENT_ARG'), ('TWX_STORAGE_POD_CONFIG')) AS r (TABLE_NAME)
 WHERE NOT EXISTS (SELECT 1
                     FROM information_schema.tables t
                    WHERE t.table_schema = current_schema()
                      AND t.table_name = lower(r.TABLE_NAME))
/
-- Columns that the upgrade from 600 migrates.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'missing-column: ' || r.TABLE_NAME || '.' || r.COLUMN_NAME
  FROM (VALUES ('TWX_VM_CONFIG_INFO', 'FAULT_TOLERANCE_TYPE'),
               ('TWX_VM_CONFIG_INFO', 'FILES_VM_PATH_NAME'),
               ('TWX_HOST', 'PRODUCT_VERSION'),
               ('TWX_DVS', 'PRODUCT_VERSION'),
               ('TWX_EVENT', 'CREATE_TIME'),
               ('TWX_PATCH_VERSION', 'INITIAL_VERSION'),
               ('TWX_PATCH_VERSION', 'CURRENT_VERSION')) AS r (TABLE_NAME, COLUMN_NAME)
 WHERE EXISTS (SELECT 1
                 FROM information_schema.tables t
                WHERE t.table_schema = current_schema()
                  AND t.table_name = lower(r.TABLE_NAME))
   AND NOT EXISTS (SELECT 1
                     FROM information_schema.columns c
                    WHERE c.table_schema = current_schema()
                      AND c.table_name = lower(r.TABLE_NAME)
                      AND c.column_name = lower(r.COLUMN_NAME))
/
-- The schema version must be the one that the upgrade starts from.
DO $$
DECLARE
  found_version VARCHAR(20);
BEGIN
  IF to_regclass('twx_version') IS NOT NULL THEN
    SELECT VERSION_VALUE INTO found_version FROM TWX_VERSION WHERE VER_ID = 1;
    IF found_version IS DISTINCT FROM '600' THEN
      INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
      VALUES ('schema-version: expected 600, found ' || coalesce(found_version, 'none'));
    END IF;
  END IF;
END
$$
/
