-- Statistics rollup, level 2 (30-minute averages) to level 3 (2-hour averages).
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION stats_rollup2_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
BEGIN
  RETURN twx_rollup_stats('twx_hist_stat2', 'twx_hist_stat3', INTERVAL '2 hours');
END;
$$;
