-- Registers the daily event cleanup and runs it.
-- Batch file: the whole file runs as one statement. It may run again.
DO $$
BEGIN
  INSERT INTO TWX_JOB (JOB_NAME, PROCEDURE_NAME, SCHEDULE_INTERVAL)
  VALUES ('Event cleanup', 'cleanup_events_proc', INTERVAL '1 day')
  ON CONFLICT (JOB_NAME) DO UPDATE
     SET PROCEDURE_NAME = EXCLUDED.PROCEDURE_NAME,
         SCHEDULE_INTERVAL = EXCLUDED.SCHEDULE_INTERVAL;
  PERFORM cleanup_events_proc(5000);
  UPDATE TWX_JOB
     SET LAST_RUN = now(), NEXT_RUN = now() + SCHEDULE_INTERVAL, FAILURE_COUNT = 0
   WHERE JOB_NAME = 'Event cleanup';
END
$$
