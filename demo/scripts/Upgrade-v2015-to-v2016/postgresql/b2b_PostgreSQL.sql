-- Build-to-build changes of schema version 650 (Tarnwell 2016). Tag script: a line <BUILD/>
-- marks the state of build BUILD, and the statements after it (each ending at a line holding
-- only "/") bring that build to the next tag's. schemalift skips everything up to the tag of the
-- build that the database has, runs the rest and records the last tag that it passed.
<5100/>
-- Build 5200: distributed switches run a health check (in the upgrade scripts since 5200).
ALTER TABLE TWX_DVS ADD COLUMN HEALTH_CHECK_MINUTES INTEGER
/
<5200/>
<5310/>
-- Build 5470: tags carry a description.
ALTER TABLE TWX_TAG ADD COLUMN IF NOT EXISTS DESCRIPTION VARCHAR(2000)
/
UPDATE TWX_TAG SET DESCRIPTION = 'Workloads that serve customers'
 WHERE NAME = 'production' AND DESCRIPTION IS NULL
/
<5470/>
<5592/>
