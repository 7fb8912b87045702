-- Top-N computation for the past day, and the helper that the four top-N procedures share.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION twx_calc_topn(p_topn_id INTEGER, p_target VARCHAR)
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
DECLARE
  v_rule  TWX_TOPN_RULE%ROWTYPE;
  v_rows  INTEGER;
BEGIN
  -- The ten hosts with the highest average processor usage (counter 1) over the rule's
  -- period, read from the rule's statistics level; the table is filled anew.
  SELECT * INTO STRICT v_rule FROM TWX_TOPN_RULE WHERE TOPN_ID = p_topn_id;
  EXECUTE format('DELETE FROM %I', p_target);
  EXECUTE format(
    'INSERT INTO %I (RANK_NO, ENTITY_ID, COUNTER_ID, STAT_VALUE, COMPUTED_AT)
     SELECT row_number() OVER (ORDER BY a.AVG_VALUE DESC, a.ENTITY_ID), a.ENTITY_ID, 1,
            round(a.AVG_VALUE, 2), now()
       FROM (SELECT s.ENTITY_ID, avg(s.STAT_VALUE) AS AVG_VALUE
               FROM %I s
               JOIN TWX_HOST h ON h.ID = s.ENTITY_ID
              WHERE s.COUNTER_ID = 1 AND s.SAMPLE_TIME > now() - $1
              GROUP BY s.ENTITY_ID
              ORDER BY 2 DESC, 1
              LIMIT 10) a',
    p_target, 'twx_hist_stat' || v_rule.SOURCE_LEVEL)
  USING v_rule.PERIOD_LENGTH;
  GET DIAGNOSTICS v_rows = ROW_COUNT;
  UPDATE TWX_TOPN_RULE SET LAST_RUN = now() WHERE TOPN_ID = p_topn_id;
  RETURN v_rows;
END;
$$;

CREATE OR REPLACE FUNCTION calc_topn1_proc()
RETURNS INTEGER
LANGUAGE plpgsql
AS $$
BEGIN
  RETURN twx_calc_topn(1, 'twx_topn_past_day');
END;
$$;
