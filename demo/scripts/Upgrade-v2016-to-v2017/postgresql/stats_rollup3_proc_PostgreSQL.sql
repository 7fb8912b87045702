-- Statistics rollup, level 3 (2-hour averages) to level 4 (daily averages), and the daily usage
-- totals of every host. Procedure file: each definition starts at its CREATE line and runs as
-- one statement.
CREATE OR REPLACE FUNCTION twx_fill_usage_stats()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  -- Usage totals: processor (counter 1) and memory (counter 2) per host and day of level 4.
  INSERT INTO TWX_USAGE_STAT (SAMPLE_DAY, ENTITY_ID, CPU_AVG_PCT, MEM_AVG_PCT)
  SELECT s.SAMPLE_TIME::DATE, s.ENTITY_ID,
         round(avg(s.STAT_VALUE) FILTER (WHERE s.COUNTER_ID = 1), 2),
         round(avg(s.STAT_VALUE) FILTER (WHERE s.COUNTER_ID = 2), 2)
    FROM TWX_HIST_STAT4 s
    JOIN TWX_HOST h ON h.ID = s.ENTITY_ID
   WHERE s.COUNTER_ID IN (1, 2)
   GROUP BY 1, 2
  HAVING count(*) FILTER (WHERE s.COUNTER_ID = 1) > 0
  ON CONFLICT (SAMPLE_DAY, ENTITY_ID) DO UPDATE
     SET CPU_AVG_PCT = EXCLUDED.CPU_AVG_PCT, MEM_AVG_PCT = EXCLUDED.MEM_AVG_PCT;
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  RETURN v_rows;
END;
$$;

CREATE OR REPLACE FUNCTION stats_rollup3_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  v_rows := twx_rollup_stats('twx_hist_stat3', 'twx_hist_stat4', INTERVAL '1 day');
  PERFORM twx_fill_usage_stats();
  RETURN v_rows;
END;
$$;
