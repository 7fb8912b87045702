-- Statistics rollup, level 1 to level 2, and the helpers that the other statistics procedures of
-- schema version 700 use. Procedure file: each definition starts at its CREATE line and runs as
-- one statement; these header lines are not executed. Every definition may be created again.
CREATE OR REPLACE FUNCTION twx_setting_days(p_name VARCHAR, p_default INTEGER)
RETURNS INTERVAL
LANGUAGE sql STABLE
AS $$
  -- A retention setting of TWX_SETTING in days, or the default when it is missing.
  SELECT make_interval(days => coalesce((SELECT VALUE::INTEGER FROM TWX_SETTING
                                           WHERE NAME = p_name), p_default))
$$;

CREATE OR REPLACE FUNCTION twx_time_bucket(p_time TIMESTAMP, p_width INTERVAL)
RETURNS TIMESTAMP
LANGUAGE sql IMMUTABLE
AS $$
  -- The start of the bucket of width p_width that holds p_time, counted from 2000-01-01.
  SELECT TIMESTAMP '2000-01-01'
         + floor(extract(epoch FROM p_time - TIMESTAMP '2000-01-01')
                 / extract(epoch FROM p_width)) * p_width
$$;

CREATE OR REPLACE FUNCTION twx_rollup_stats(p_source VARCHAR, p_target VARCHAR,
                                            p_width INTERVAL,
                                            p_first_entity INTEGER DEFAULT NULL,
                                            p_last_entity INTEGER DEFAULT NULL)
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  -- Averages every complete bucket of the source level into the target level, once: buckets
  -- that the target already holds are left alone. The entity range limits the work of one call.
  EXECUTE format(
    'INSERT INTO %I (SAMPLE_TIME, ENTITY_ID, COUNTER_ID, STAT_VALUE)
     SELECT b.BUCKET, b.ENTITY_ID, b.COUNTER_ID, b.AVG_VALUE
       FROM (SELECT twx_time_bucket(s.SAMPLE_TIME, $1) AS BUCKET, s.ENTITY_ID, s.COUNTER_ID,
                    round(avg(s.STAT_VALUE)) AS AVG_VALUE
               FROM %I s
              WHERE s.SAMPLE_TIME < twx_time_bucket(now()::TIMESTAMP, $1)
                AND ($2 IS NULL OR s.ENTITY_ID >= $2)
                AND ($3 IS NULL OR s.ENTITY_ID <= $3)
              GROUP BY 1, 2, 3) b
      WHERE NOT EXISTS (SELECT 1 FROM %I t
                         WHERE t.SAMPLE_TIME = b.BUCKET
                           AND t.ENTITY_ID = b.ENTITY_ID
                           AND t.COUNTER_ID = b.COUNTER_ID)',
    p_target, p_source, p_target)
  USING p_width, p_first_entity, p_last_entity;
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  RETURN v_rows;
END;
$$;

CREATE OR REPLACE FUNCTION stats_rollup1_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  -- 5-minute samples become 30-minute averages; level 1 keeps stats.level1.maxAgeDays.
  v_rows := twx_rollup_stats('twx_hist_stat1', 'twx_hist_stat2', INTERVAL '30 minutes');
  DELETE FROM TWX_HIST_STAT1
   WHERE SAMPLE_TIME < now() - twx_setting_days('stats.level1.maxAgeDays', 1);
  RETURN v_rows;
END;
$$;
