-- Purge of level 2 statistics older than the setting stats.level2.maxAgeDays (default 7).
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION purge_stat2_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  DELETE FROM TWX_HIST_STAT2
   WHERE SAMPLE_TIME < now() - twx_setting_days('stats.level2.maxAgeDays', 7);
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  RETURN v_rows;
END;
$$;
