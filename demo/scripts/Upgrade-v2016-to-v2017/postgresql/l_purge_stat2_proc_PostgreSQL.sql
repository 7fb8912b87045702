-- Purge of level 2 statistics older than the setting stats.level2.maxAgeDays (default
-- 7), for large inventories: deletes p_batch rows at a time. Procedure file: each definition
-- starts at its CREATE line and runs as one statement.
CREATE OR REPLACE PROCEDURE l_purge_stat2_proc(p_batch INTEGER DEFAULT 10000)
LANGUAGE plpgsql
AS $$
DECLARE
  v_limit TIMESTAMP := now() - twx_setting_days('stats.level2.maxAgeDays', 7);
  v_rows  INTEGER;
BEGIN
  LOOP
    DELETE FROM TWX_HIST_STAT2
     WHERE ctid IN (SELECT ctid FROM TWX_HIST_STAT2
                     WHERE SAMPLE_TIME < v_limit
                     LIMIT p_batch);
    GET DIAGNOSTICS v_rows = ROW_COUNT;
    EXIT WHEN v_rows = 0;
  END LOOP;
END;
$$;
