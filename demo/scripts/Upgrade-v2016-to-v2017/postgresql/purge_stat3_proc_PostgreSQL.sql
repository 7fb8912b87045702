-- Purge of level 3 statistics older than the setting stats.level3.maxAgeDays (default 30).
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION purge_stat3_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  DELETE FROM TWX_HIST_STAT3
   WHERE SAMPLE_TIME < now() - twx_setting_days('stats.level3.maxAgeDays', 30);
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  RETURN v_rows;
END;
$$;
