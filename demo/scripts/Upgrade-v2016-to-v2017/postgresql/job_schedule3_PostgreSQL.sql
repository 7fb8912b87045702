-- Registers the job that rolls level 3 statistics up into daily ones every day, and runs it.
-- Batch file: the whole file runs as one statement. It may run again.
DO $$
BEGIN
  INSERT INTO TWX_JOB (JOB_NAME, PROCEDURE_NAME, SCHEDULE_INTERVAL)
  VALUES ('Statistics rollup 3', 'stats_rollup3_proc', INTERVAL '1 day')
  ON CONFLICT (JOB_NAME) DO UPDATE
     SET PROCEDURE_NAME = EXCLUDED.PROCEDURE_NAME,
         SCHEDULE_INTERVAL = EXCLUDED.SCHEDULE_INTERVAL;
  IF (SELECT count(*) FROM TWX_HOST) > 100 THEN
    PERFORM l_stats_rollup3_proc(50);
  ELSE
    PERFORM stats_rollup3_proc();
  END IF;
  PERFORM purge_usage_stats_proc();
  UPDATE TWX_JOB
     SET LAST_RUN = now(), NEXT_RUN = now() + SCHEDULE_INTERVAL, FAILURE_COUNT = 0
   WHERE JOB_NAME = 'Statistics rollup 3';
END
$$
