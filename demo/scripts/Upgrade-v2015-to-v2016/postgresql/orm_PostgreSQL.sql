-- Upgrade from schema version 600 (Tarnwell 2015) to 650 (Tarnwell 2016), second part: runs
-- after liftaide. Block script: each statement ends at a line holding only "/".
--
-- The objects that the server's object mapping keeps from 650 on. The build-to-build upgrade
-- launches liftaide only once TWX_FILE_SYSTEM_MOUNT_INFO exists. Every statement may run again.
CREATE TABLE IF NOT EXISTS TWX_FILE_SYSTEM_MOUNT_INFO (
  HOST_ID      INTEGER      NOT NULL REFERENCES TWX_HOST (ID) ON DELETE CASCADE,
  DATASTORE_ID INTEGER      NOT NULL REFERENCES TWX_ENTITY (ID) ON DELETE CASCADE,
  MOUNT_PATH   VARCHAR(512) NOT NULL,
  ACCESS_MODE  VARCHAR(16)  NOT NULL DEFAULT 'readWrite',
  MOUNTED_FLG  SMALLINT     NOT NULL DEFAULT 1,
  PRIMARY KEY (HOST_ID, DATASTORE_ID)
)
/
-- Every host of a cluster mounts the datastores of the storage pods.
INSERT INTO TWX_FILE_SYSTEM_MOUNT_INFO (HOST_ID, DATASTORE_ID, MOUNT_PATH)
SELECT h.ID, d.ID, '/vol/' || d.NAME
  FROM TWX_HOST h
  JOIN TWX_ENTITY he ON he.ID = h.ID
  CROSS JOIN TWX_ENTITY d
 WHERE d.TYPE_ID = 18
   AND d.PARENT_ID IN (SELECT ID FROM TWX_ENTITY WHERE TYPE_ID = 20)
   AND he.PARENT_ID IN (SELECT ID FROM TWX_ENTITY WHERE TYPE_ID = 3)
ON CONFLICT (HOST_ID, DATASTORE_ID) DO NOTHING
/
CREATE INDEX IF NOT EXISTS TWX_FILE_SYSTEM_MOUNT_DS_IDX
    ON TWX_FILE_SYSTEM_MOUNT_INFO (DATASTORE_ID)
/
