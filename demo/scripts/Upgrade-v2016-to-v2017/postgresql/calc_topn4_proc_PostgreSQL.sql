-- Top-N computation for the past year.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION calc_topn4_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
BEGIN
  RETURN twx_calc_topn(4, 'twx_topn_past_year');
END;
$$;
