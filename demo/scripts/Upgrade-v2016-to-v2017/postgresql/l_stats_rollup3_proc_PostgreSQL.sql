-- Statistics rollup, level 3 to level 4, for large inventories: the entities are rolled up
-- in batches of p_batch, so that no statement works through the whole level. Procedure file: each
-- definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION l_stats_rollup3_proc(p_batch INTEGER DEFAULT 50)
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_ids   INTEGER[];
  v_count INTEGER;
  v_index INTEGER := 1;
  v_total INTEGER := 0;
BEGIN
  SELECT array_agg(DISTINCT ENTITY_ID ORDER BY ENTITY_ID) INTO v_ids FROM TWX_HIST_STAT3;
  v_count := coalesce(array_length(v_ids, 1), 0);
  WHILE v_index <= v_count LOOP
    v_total := v_total + twx_rollup_stats('twx_hist_stat3', 'twx_hist_stat4', INTERVAL '1 day',
                                          v_ids[v_index],
                                          v_ids[least(v_index + p_batch - 1, v_count)]);
    v_index := v_index + p_batch;
  END LOOP;
  PERFORM twx_fill_usage_stats();
  RETURN v_total;
END;
$$;
