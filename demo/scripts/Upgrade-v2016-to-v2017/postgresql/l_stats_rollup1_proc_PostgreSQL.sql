-- Statistics rollup, level 1 to level 2, for large inventories: the entities are rolled up
-- in batches of p_batch, so that no statement works through the whole level. Procedure file: each
-- definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION l_stats_rollup1_proc(p_batch INTEGER DEFAULT 50)
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_ids   INTEGER[];
  v_count INTEGER;
  v_index INTEGER := 1;
  v_total INTEGER := 0;
BEGIN
  SELECT array_agg(DISTINCT ENTITY_ID ORDER BY ENTITY_ID) INTO v_ids FROM TWX_HIST_STAT1;
  v_count := coalesce(array_length(v_ids, 1), 0);
  WHILE v_index <= v_count LOOP
    v_total := v_total + twx_rollup_stats('twx_hist_stat1', 'twx_hist_stat2', INTERVAL '30 minutes',
                                          v_ids[v_index],
                                          v_ids[least(v_index + p_batch - 1, v_count)]);
    v_index := v_index + p_batch;
  END LOOP;
  DELETE FROM TWX_HIST_STAT1
   WHERE SAMPLE_TIME < now() - twx_setting_days('stats.level1.maxAgeDays', 1);
  RETURN v_total;
END;
$$;
