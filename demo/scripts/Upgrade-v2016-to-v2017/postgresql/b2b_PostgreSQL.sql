-- Build-to-build changes of schema version 700 (Tarnwell 2017). Tag script: a line <BUILD/>
-- marks the state of build BUILD, and the statements after it (each ending at a line holding
-- only "/") bring that build to the next tag's. schemalift skips everything up to the tag of the
-- build that the database has, runs the rest and records the last tag that it passed.
--
-- The full upgrade of this script set brings a database to build 5310, so the sections before
-- <5310/> hold what its upgrade scripts already do.
<5100/>
-- Build 5200: jobs count their failures.
ALTER TABLE TWX_JOB ADD COLUMN FAILURE_COUNT INTEGER NOT NULL DEFAULT 0
/
<5200/>
-- Build 5310: the hourly summary of the database performance samples.
CREATE TABLE TWX_PERF_DATA_SUMMARY (
  SAMPLE_HOUR TIMESTAMP   NOT NULL,
  METRIC      VARCHAR(64) NOT NULL,
  MIN_VALUE   BIGINT      NOT NULL,
  MAX_VALUE   BIGINT      NOT NULL,
  SAMPLES     INTEGER     NOT NULL,
  PRIMARY KEY (SAMPLE_HOUR, METRIC)
)
/
<5310/>
-- Build 5470: jobs remember how long their last run took, and events are found by entity.
ALTER TABLE TWX_JOB ADD COLUMN IF NOT EXISTS LAST_DURATION_MS INTEGER
/
CREATE INDEX IF NOT EXISTS TWX_EVENT_ENTITY_IDX ON TWX_EVENT (ENTITY_ID, CREATE_TIME)
/
INSERT INTO TWX_SETTING (NAME, VALUE) VALUES ('event.maxPerEntity', '1000')
ON CONFLICT (NAME) DO NOTHING
/
<5470/>
-- Build 5592: alarms can be snoozed, and the daily top-N table is refreshed more often.
CREATE TABLE IF NOT EXISTS TWX_ALARM_SNOOZE (
  ENTITY_ID  INTEGER      NOT NULL REFERENCES TWX_ENTITY (ID) ON DELETE CASCADE,
  ALARM_KEY  VARCHAR(128) NOT NULL,
  UNTIL_TIME TIMESTAMP    NOT NULL,
  USERNAME   VARCHAR(255),
  PRIMARY KEY (ENTITY_ID, ALARM_KEY)
)
/
UPDATE TWX_TOPN_RULE SET REFRESH_INTERVAL = INTERVAL '5 minutes' WHERE TOPN_ID = 1
/
<5592/>
