-- Cleanup of the events older than the setting event.maxAgeDays (default 30).
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION cleanup_events_proc(p_batch INTEGER DEFAULT 5000)
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_limit TIMESTAMP := now() - twx_setting_days('event.maxAgeDays', 30);
  v_rows  INTEGER;
  v_total INTEGER := 0;
BEGIN
  -- Batches of p_batch events; their arguments go with them (ON DELETE CASCADE).
  LOOP
    DELETE FROM TWX_EVENT
     WHERE EVENT_ID IN (SELECT EVENT_ID FROM TWX_EVENT
                         WHERE CREATE_TIME < v_limit
                         ORDER BY EVENT_ID
                         LIMIT p_batch);
    GET DIAGNOSTICS v_rows = ROW_COUNT;
    v_total := v_total + v_rows;
    EXIT WHEN v_rows = 0;
  END LOOP;
  DELETE FROM TWX_EVENT_LAST WHERE CREATE_TIME < v_limit;
  RETURN v_total;
END;
$$;
