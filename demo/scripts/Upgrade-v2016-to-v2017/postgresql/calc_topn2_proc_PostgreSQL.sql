-- Top-N computation for the past week.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION calc_topn2_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
BEGIN
  RETURN twx_calc_topn(2, 'twx_topn_past_week');
END;
$$;
