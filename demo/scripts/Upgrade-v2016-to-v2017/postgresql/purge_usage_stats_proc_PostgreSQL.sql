-- Purge of the daily statistics (level 4) and the usage totals past their retention.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION purge_usage_stats_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_stats INTEGER;
  v_usage INTEGER;
BEGIN
  DELETE FROM TWX_HIST_STAT4
   WHERE SAMPLE_TIME < now() - twx_setting_days('stats.level4.maxAgeDays', 365);
  GET DIAGNOSTICS v_stats = ROW_COUNT;
  DELETE FROM TWX_USAGE_STAT
   WHERE SAMPLE_DAY < (now() - twx_setting_days('usage.maxAgeDays', 400))::DATE;
  GET DIAGNOSTICS v_usage = ROW_COUNT;
  RETURN v_stats + v_usage;
END;
$$;
