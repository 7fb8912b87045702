-- Whether the top-N table of the past month is due to be computed again: never computed, or
-- computed longer ago than the refresh interval of its rule in TWX_TOPN_RULE.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION rule_topn3_proc()
RETURNS BOOLEAN
LANGUAGE sql STABLE
AS $$
  SELECT coalesce((SELECT r.LAST_RUN IS NULL OR r.LAST_RUN + r.REFRESH_INTERVAL <= now()
                     FROM TWX_TOPN_RULE r
                    WHERE r.TOPN_ID = 3), FALSE)
$$;
