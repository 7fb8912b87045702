-- Registers the job that rolls level 2 statistics up into level 3 every 2 hours, and runs it.
-- Batch file: the whole file runs as one statement. It may run again.
DO $$
BEGIN
  INSERT INTO TWX_JOB (JOB_NAME, PROCEDURE_NAME, SCHEDULE_INTERVAL)
  VALUES ('Statistics rollup 2', 'stats_rollup2_proc', INTERVAL '2 hours')
  ON CONFLICT (JOB_NAME) DO UPDATE
     SET PROCEDURE_NAME = EXCLUDED.PROCEDURE_NAME,
         SCHEDULE_INTERVAL = EXCLUDED.SCHEDULE_INTERVAL;
  -- Large inventories take the batched variants.
  IF (SELECT count(*) FROM TWX_HOST) > 100 THEN
    PERFORM l_stats_rollup2_proc(50);
    CALL l_purge_stat3_proc(10000);
  ELSE
    PERFORM stats_rollup2_proc();
    PERFORM purge_stat3_proc();
  END IF;
  UPDATE TWX_JOB
     SET LAST_RUN = now(), NEXT_RUN = now() + SCHEDULE_INTERVAL, FAILURE_COUNT = 0
   WHERE JOB_NAME = 'Statistics rollup 2';
END
$$
