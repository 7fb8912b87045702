-- Registers the job that computes the top-N table of the past month, and runs it when due.
-- Batch file: the whole file runs as one statement. It may run again.
DO $$
BEGIN
  INSERT INTO TWX_JOB (JOB_NAME, PROCEDURE_NAME, SCHEDULE_INTERVAL)
  VALUES ('Top-N past month', 'calc_topn3_proc', INTERVAL '2 hours')
  ON CONFLICT (JOB_NAME) DO UPDATE
     SET PROCEDURE_NAME = EXCLUDED.PROCEDURE_NAME,
         SCHEDULE_INTERVAL = EXCLUDED.SCHEDULE_INTERVAL;
  IF rule_topn3_proc() THEN
    PERFORM clear_topn3_proc();
    PERFORM calc_topn3_proc();
  END IF;
  UPDATE TWX_JOB
     SET LAST_RUN = now(), NEXT_RUN = now() + SCHEDULE_INTERVAL, FAILURE_COUNT = 0
   WHERE JOB_NAME = 'Top-N past month';
END
$$
