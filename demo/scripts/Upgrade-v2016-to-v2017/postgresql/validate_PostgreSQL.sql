-- Data validation before an upgrade from schema version 650 (Tarnwell 2016).
-- Block script, run after validate_schema_PostgreSQL.sql: adds one row per inconsistency to
-- TWX_PREUPGRADE_VERIFICATION.
--
-- Entities whose parent is gone have to be removed by hand.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'orphan-entity: ' || e.NAME || ' (id ' || e.ID || ', type ' || e.TYPE_ID
       || ') has parent ' || e.PARENT_ID || ', which does not exist'
  FROM TWX_ENTITY e
 WHERE e.PARENT_ID IS NOT NULL
   AND NOT EXISTS (SELECT 1 FROM TWX_ENTITY p WHERE p.ID = e.PARENT_ID)
 ORDER BY e.ID
/
-- Counters without a rollup type cannot be rolled up into the daily statistics of 700.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'counter-without-rollup: ' || c.GROUP_NAME || '.' || c.NAME || ' (id ' || c.COUNTER_ID
       || ') will not be kept in the daily statistics'
  FROM TWX_STAT_COUNTER c
 WHERE c.ROLLUP_TYPE IS NULL
 ORDER BY c.COUNTER_ID
/
-- Hosts without an address cannot be reconnected after the upgrade.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'host-without-address: ' || h.DNS_NAME || ' (id ' || h.ID || ')'
  FROM TWX_HOST h
 WHERE h.IP_ADDRESS IS NULL OR h.IP_ADDRESS = ''
 ORDER BY h.ID
/
-- Two hosts with one address.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'duplicate-host-address: ' || h.IP_ADDRESS || ' is used by ' || count(*) || ' hosts'
  FROM TWX_HOST h
 WHERE h.IP_ADDRESS IS NOT NULL AND h.IP_ADDRESS <> ''
 GROUP BY h.IP_ADDRESS
HAVING count(*) > 1
/
-- Statistics of counters that are not defined.
INSERT INTO TWX_PREUPGRADE_VERIFICATION (INCONSISTENCIE)
SELECT 'unknown-counter: ' || count(*) || ' samples of level 1 refer to counter ' || s.COUNTER_ID
  FROM TWX_HIST_STAT1 s
 WHERE NOT EXISTS (SELECT 1 FROM TWX_STAT_COUNTER c WHERE c.COUNTER_ID = s.COUNTER_ID)
 GROUP BY s.COUNTER_ID
/
