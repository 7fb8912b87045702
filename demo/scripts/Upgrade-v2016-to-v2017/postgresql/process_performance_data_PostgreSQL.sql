-- Summarises the database performance samples of TWX_PERF_DATA by hour and drops the samples
-- older than the setting perfdata.maxAgeHours (default 24).
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION process_performance_data()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  INSERT INTO TWX_PERF_DATA_SUMMARY AS s (SAMPLE_HOUR, METRIC, MIN_VALUE, MAX_VALUE, SAMPLES)
  SELECT date_trunc('hour', p.SAMPLE_TIME), p.METRIC, min(p.METRIC_VALUE), max(p.METRIC_VALUE),
         count(*)
    FROM TWX_PERF_DATA p
   GROUP BY 1, 2
  ON CONFLICT (SAMPLE_HOUR, METRIC) DO UPDATE
     SET MIN_VALUE = EXCLUDED.MIN_VALUE, MAX_VALUE = EXCLUDED.MAX_VALUE,
         SAMPLES = EXCLUDED.SAMPLES;
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  DELETE FROM TWX_PERF_DATA
   WHERE SAMPLE_TIME < now() - make_interval(hours => coalesce(
           (SELECT VALUE::INTEGER FROM TWX_SETTING WHERE NAME = 'perfdata.maxAgeHours'), 24));
  RETURN v_rows;
END;
$$;
