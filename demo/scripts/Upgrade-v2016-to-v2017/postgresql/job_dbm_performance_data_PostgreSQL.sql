-- Registers the hourly job that samples the database activity and summarises the samples, and
-- runs it.
-- Batch file: the whole file runs as one statement. It may run again.
DO $$
BEGIN
  INSERT INTO TWX_JOB (JOB_NAME, PROCEDURE_NAME, SCHEDULE_INTERVAL)
  VALUES ('Database performance data', 'process_performance_data', INTERVAL '1 hour')
  ON CONFLICT (JOB_NAME) DO UPDATE
     SET PROCEDURE_NAME = EXCLUDED.PROCEDURE_NAME,
         SCHEDULE_INTERVAL = EXCLUDED.SCHEDULE_INTERVAL;
  INSERT INTO TWX_PERF_DATA (SAMPLE_TIME, METRIC, METRIC_VALUE)
  SELECT now(), m.METRIC, m.METRIC_VALUE
    FROM pg_stat_database d
    CROSS JOIN LATERAL (VALUES ('commits', d.xact_commit), ('rollbacks', d.xact_rollback),
                               ('blocks_read', d.blks_read), ('blocks_hit', d.blks_hit),
                               ('backends', d.numbackends::BIGINT)) AS m (METRIC, METRIC_VALUE)
   WHERE d.datname = current_database();
  PERFORM process_performance_data();
  UPDATE TWX_JOB
     SET LAST_RUN = now(), NEXT_RUN = now() + SCHEDULE_INTERVAL, FAILURE_COUNT = 0
   WHERE JOB_NAME = 'Database performance data';
END
$$
