-- Top-N computation for the past month.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION calc_topn3_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
BEGIN
  RETURN twx_calc_topn(3, 'twx_topn_past_month');
END;
$$;
