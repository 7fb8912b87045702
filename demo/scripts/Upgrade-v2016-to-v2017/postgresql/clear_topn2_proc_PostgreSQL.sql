-- Clears the top-N table of the past week before it is computed again.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION clear_topn2_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rows INTEGER;
BEGIN
  DELETE FROM TWX_TOPN_PAST_WEEK;
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  RETURN v_rows;
END;
$$;
