-- Sample TWDB at schema version 550, for PostgreSQL.
--
-- Load it with psql as the database role that the Tarnwell server uses (tw), into a database
-- owned by that role:
--
--   psql -v ON_ERROR_STOP=1 -h HOST -p PORT -U tw -d twdb_demo -f twdb_550_PostgreSQL.sql
--
-- Every object lives in the schema tw, which is first on the role's default search path, so
-- schemalift and the scripts reach them unqualified. Timestamps are relative to the moment of
-- loading, so that the statistics and events are always recent.
--
-- The inventory is a small data centre with a few things that a validation from 550 reports:
--   * cluster Prod-Cluster-A has 65 hosts, one more than a cluster may have;
--   * distributed switch Switch-Legacy is still at version 5.1.0;
--   * two hosts run releases below 6.0.0, and host profile Branch-Office-Profile is at 5.5.0;
--   * virtual machine billing-db-01 uses record/replay fault tolerance;
--   * the port group Switch-Storage has the name of its own switch, in the same folder;
--   * a virtual machine whose folder was removed without it (an orphaned entity), and two
--     counters without a rollup type; the validation scripts report these.

CREATE SCHEMA IF NOT EXISTS tw;
SET search_path TO tw;

-- Schema version and build -------------------------------------------------------------------

CREATE TABLE TWX_VERSION (
  VER_ID        INTEGER      NOT NULL PRIMARY KEY,
  VERSION_VALUE VARCHAR(20)  NOT NULL,
  VERSION_NAME  VARCHAR(64)  NOT NULL,
  UPDATED_AT    TIMESTAMP    NOT NULL DEFAULT now()
);
INSERT INTO TWX_VERSION (VER_ID, VERSION_VALUE, VERSION_NAME) VALUES (1, '550', 'Tarnwell 2013');

-- The build whose build-to-build scripts the database has passed (CURRENT_VERSION), or the build
-- that installed it (INITIAL_VERSION).
CREATE TABLE TWX_PATCH_VERSION (
  INITIAL_VERSION VARCHAR(255),
  CURRENT_VERSION VARCHAR(255)
);
INSERT INTO TWX_PATCH_VERSION (INITIAL_VERSION, CURRENT_VERSION) VALUES ('2013-4120', NULL);

CREATE TABLE TWX_SETTING (
  NAME  VARCHAR(255) NOT NULL PRIMARY KEY,
  VALUE VARCHAR(2000)
);
INSERT INTO TWX_SETTING (NAME, VALUE) VALUES
  ('event.maxAgeDays', '30'),
  ('stats.level1.maxAgeDays', '1'),
  ('stats.level2.maxAgeDays', '7'),
  ('stats.level3.maxAgeDays', '30'),
  ('server.instanceName', 'tarnwell-01.harbor.example');

-- Schema description, rebuilt by liftaide at every upgrade step -------------------------------

CREATE TABLE TWX_TABLE (
  ID         INTEGER      NOT NULL PRIMARY KEY,
  TABLE_NAME VARCHAR(255) NOT NULL,
  HASH       VARCHAR(64)  NOT NULL
);
CREATE TABLE TWX_INDEX_COLUMN (
  TABLE_ID    INTEGER      NOT NULL,
  INDEX_NAME  VARCHAR(255) NOT NULL,
  COLUMN_NAME VARCHAR(255) NOT NULL,
  POSITION    INTEGER      NOT NULL
);
CREATE TABLE TWX_SCHEMA_HASH (
  SCHEMA_NAME VARCHAR(64)  NOT NULL,
  HASH        VARCHAR(64)  NOT NULL,
  CREATED_AT  TIMESTAMP    NOT NULL DEFAULT now()
);

-- Inventory ------------------------------------------------------------------------------------

CREATE TABLE TWX_ENTITY_TYPE (
  TYPE_ID   INTEGER     NOT NULL PRIMARY KEY,
  TYPE_NAME VARCHAR(64) NOT NULL
);
INSERT INTO TWX_ENTITY_TYPE (TYPE_ID, TYPE_NAME) VALUES
  (0, 'virtual machine'), (1, 'host'), (2, 'resource pool'), (3, 'cluster'), (4, 'datacenter'),
  (5, 'folder'), (18, 'datastore'), (20, 'storage pod'), (21, 'distributed switch'),
  (22, 'distributed port group');

CREATE TABLE TWX_ENTITY (
  ID        INTEGER      NOT NULL PRIMARY KEY,
  NAME      VARCHAR(255) NOT NULL,
  TYPE_ID   INTEGER      NOT NULL REFERENCES TWX_ENTITY_TYPE (TYPE_ID),
  PARENT_ID INTEGER
);
CREATE INDEX TWX_ENTITY_PARENT_IDX ON TWX_ENTITY (PARENT_ID);

INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID) VALUES
  (1, 'Datacenters', 5, NULL),
  (2, 'Harbor DC', 4, 1),
  (3, 'Hosts', 5, 2),
  (4, 'Machines', 5, 2),
  (5, 'Networks', 5, 2),
  (6, 'Storage', 5, 2),
  (10, 'Prod-Cluster-A', 3, 3),
  (11, 'Dev-Cluster', 3, 3),
  (12, 'Edge-Cluster', 3, 3),
  (20, 'Pod-Gold', 20, 6),
  (30, 'Switch-Prod', 21, 5),
  (31, 'Switch-Storage', 21, 5),
  (32, 'Switch-Legacy', 21, 5),
  (40, 'Prod-VLAN-110', 22, 5),
  (41, 'Prod-VLAN-120', 22, 5),
  (42, 'Switch-Storage', 22, 5),
  (43, 'Legacy-Mgmt', 22, 5);

-- Hosts: 65 in Prod-Cluster-A (over the limit of 64), 4 in Dev-Cluster, 64 in Edge-Cluster (at
-- the limit, so not reported).
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID)
SELECT 1000 + n, 'tw-host-a' || lpad(n::text, 3, '0') || '.harbor.example', 1, 10
  FROM generate_series(1, 65) AS n;
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID)
SELECT 1100 + n, 'tw-host-d' || lpad(n::text, 3, '0') || '.harbor.example', 1, 11
  FROM generate_series(1, 4) AS n;
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID)
SELECT 1200 + n, 'tw-host-e' || lpad(n::text, 3, '0') || '.harbor.example', 1, 12
  FROM generate_series(1, 64) AS n;

-- Datastores: six in the storage pod, two local ones.
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID)
SELECT 1500 + n, 'gold-lun-' || lpad(n::text, 2, '0'), 18, 20 FROM generate_series(1, 6) AS n;
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID) VALUES
  (1510, 'local-d001', 18, 6), (1511, 'local-d002', 18, 6);

-- Virtual machines; the last one belongs to a folder (id 9) that no longer exists.
INSERT INTO TWX_ENTITY (ID, NAME, TYPE_ID, PARENT_ID) VALUES
  (2001, 'billing-db-01', 0, 4),
  (2002, 'billing-app-01', 0, 4),
  (2003, 'billing-app-02', 0, 4),
  (2004, 'ci-runner-01', 0, 4),
  (2005, 'ci-runner-02', 0, 4),
  (2006, 'mail-gw-01', 0, 4),
  (2007, 'old-wiki-01', 0, 9);

CREATE TABLE TWX_HOST (
  ID              INTEGER      NOT NULL PRIMARY KEY REFERENCES TWX_ENTITY (ID),
  DNS_NAME        VARCHAR(255) NOT NULL,
  IP_ADDRESS      VARCHAR(255),
  PRODUCT_VERSION VARCHAR(255),
  PRODUCT_BUILD   VARCHAR(255),
  NUM_CPU_CORES   INTEGER,
  MEMORY_MB       BIGINT,
  CONNECTED_FLG   SMALLINT     NOT NULL DEFAULT 1
);
INSERT INTO TWX_HOST (ID, DNS_NAME, IP_ADDRESS, PRODUCT_VERSION, PRODUCT_BUILD, NUM_CPU_CORES,
                      MEMORY_MB)
SELECT ID, NAME,
       '10.20.' || (ID / 100) || '.' || (ID % 100 + 10),
       CASE WHEN ID % 2 = 0 THEN '6.5.0' ELSE '6.0.0' END,
       CASE WHEN ID % 2 = 0 THEN '6.5.0-5310' ELSE '6.0.0-4600' END,
       CASE WHEN PARENT_ID = 12 THEN 16 ELSE 32 END,
       CASE WHEN PARENT_ID = 12 THEN 131072 ELSE 524288 END
  FROM TWX_ENTITY WHERE TYPE_ID = 1;
-- Two hosts of the development cluster were never updated.
UPDATE TWX_HOST SET PRODUCT_VERSION = '5.5.0', PRODUCT_BUILD = '5.5.0-3029' WHERE ID = 1103;
UPDATE TWX_HOST SET PRODUCT_VERSION = '5.1.0', PRODUCT_BUILD = '5.1.0-1065' WHERE ID = 1104;

CREATE TABLE TWX_PROFILE (
  PROFILE_ID   INTEGER      NOT NULL PRIMARY KEY,
  PROFILE_NAME VARCHAR(511) NOT NULL,
  TYPE_CODE    INTEGER      NOT NULL,
  CONFIG_INFO  TEXT
);
INSERT INTO TWX_PROFILE (PROFILE_ID, PROFILE_NAME, TYPE_CODE, CONFIG_INFO) VALUES
  (1, 'Prod-Host-Profile', 0,
   '<hostProfile><profileVersion>6.0.0</profileVersion><ntp server="10.20.0.1"/>'
   || '<syslog target="udp://10.20.0.5:514"/></hostProfile>'),
  (2, 'Edge-Host-Profile', 0,
   '<hostProfile><profileVersion>6.5.0</profileVersion><ntp server="10.20.0.1"/></hostProfile>'),
  (3, 'Branch-Office-Profile', 0,
   '<hostProfile><profileVersion>5.5.0</profileVersion><ntp server="10.30.0.1"/></hostProfile>'),
  (4, 'Prod-Cluster-Policy', 1,
   '<clusterProfile><profileVersion>5.0.0</profileVersion></clusterProfile>');

CREATE TABLE TWX_DVS (
  ID                       INTEGER      NOT NULL PRIMARY KEY REFERENCES TWX_ENTITY (ID),
  NAME                     VARCHAR(255) NOT NULL,
  PRODUCT_VENDOR           VARCHAR(255) NOT NULL,
  PRODUCT_VERSION          VARCHAR(255) NOT NULL,
  PRODUCT_FORWARDING_CLASS VARCHAR(255) NOT NULL,
  MAX_PORTS                INTEGER      NOT NULL DEFAULT 4096
);
INSERT INTO TWX_DVS (ID, NAME, PRODUCT_VENDOR, PRODUCT_VERSION, PRODUCT_FORWARDING_CLASS) VALUES
  (30, 'Switch-Prod', 'Halvik, Inc.', '6.0.0', 'etherswitch'),
  (31, 'Switch-Storage', 'Halvik, Inc.', '6.0.0', 'etherswitch'),
  (32, 'Switch-Legacy', 'Halvik', '5.1.0', 'cswitch');

CREATE TABLE TWX_DVPORTGROUP (
  ID               INTEGER      NOT NULL PRIMARY KEY REFERENCES TWX_ENTITY (ID),
  DVS_ID           INTEGER      NOT NULL REFERENCES TWX_DVS (ID),
  DVPORTGROUP_NAME VARCHAR(255) NOT NULL,
  VLAN_ID          INTEGER,
  NUM_PORTS        INTEGER      NOT NULL DEFAULT 128
);
INSERT INTO TWX_DVPORTGROUP (ID, DVS_ID, DVPORTGROUP_NAME, VLAN_ID, NUM_PORTS) VALUES
  (40, 30, 'Prod-VLAN-110', 110, 512),
  (41, 30, 'Prod-VLAN-120', 120, 512),
  (42, 31, 'Switch-Storage', 300, 256),
  (43, 32, 'Legacy-Mgmt', 10, 64);

CREATE TABLE TWX_VM_CONFIG_INFO (
  ID                        INTEGER      NOT NULL PRIMARY KEY REFERENCES TWX_ENTITY (ID),
  NAME                      VARCHAR(255) NOT NULL,
  FILES_VM_PATH_NAME        VARCHAR(512),
  GUEST_OS                  VARCHAR(255),
  NUM_CPU                   INTEGER,
  MEMORY_MB                 INTEGER,
  RECORD_REPLAY_ENABLED_FLG SMALLINT     NOT NULL DEFAULT 0
);
INSERT INTO TWX_VM_CONFIG_INFO (ID, NAME, FILES_VM_PATH_NAME, GUEST_OS, NUM_CPU, MEMORY_MB,
                                RECORD_REPLAY_ENABLED_FLG) VALUES
  (2001, 'billing-db-01', '/storage/gold-lun-01/billing-db-01.cfg', 'linux64', 8, 65536, 1),
  (2002, 'billing-app-01', '/storage/gold-lun-02/billing-app-01.cfg', 'linux64', 4, 16384, 0),
  (2003, 'billing-app-02', '/storage/gold-lun-03/billing-app-02.cfg', 'linux64', 4, 16384, 0),
  (2004, 'ci-runner-01', '/storage/local-d001/ci-runner-01.cfg', 'linux64', 16, 32768, 0),
  (2005, 'ci-runner-02', '/storage/local-d002/ci-runner-02.cfg', 'linux64', 16, 32768, 0),
  (2006, 'mail-gw-01', '/storage/gold-lun-04/mail-gw-01.cfg', 'bsd64', 2, 4096, 0),
  (2007, 'old-wiki-01', '/storage/gold-lun-05/old-wiki-01.cfg', 'linux32', 1, 2048, 0);

-- Events -------------------------------------------------------------------------------------

CREATE TABLE TWX_EVENT (
  EVENT_ID    BIGINT        NOT NULL PRIMARY KEY,
  CREATE_TIME TIMESTAMP     NOT NULL,
  EVENT_TYPE  VARCHAR(128)  NOT NULL,
  ENTITY_ID   INTEGER,
  USERNAME    VARCHAR(255),
  SEVERITY    VARCHAR(16)   NOT NULL,
  MESSAGE     VARCHAR(2000)
);
CREATE INDEX TWX_EVENT_TIME_IDX ON TWX_EVENT (CREATE_TIME);
-- Four events a day per virtual machine and one a day per host, for the last 60 days.
INSERT INTO TWX_EVENT (EVENT_ID, CREATE_TIME, EVENT_TYPE, ENTITY_ID, USERNAME, SEVERITY, MESSAGE)
SELECT row_number() OVER (ORDER BY d, e.ID),
       now() - d * interval '6 hours',
       CASE WHEN e.TYPE_ID = 0 THEN 'vm.powerStateChanged' ELSE 'host.connected' END,
       e.ID,
       CASE WHEN d % 5 = 0 THEN 'TWX\admin' ELSE 'twxd' END,
       CASE WHEN d % 17 = 0 THEN 'warning' ELSE 'info' END,
       e.NAME || CASE WHEN e.TYPE_ID = 0 THEN ' changed its power state' ELSE ' connected' END
  FROM TWX_ENTITY e
  CROSS JOIN generate_series(0, 239) AS d
 WHERE e.TYPE_ID = 0 OR (e.TYPE_ID = 1 AND d % 4 = 0);

-- Statistics ---------------------------------------------------------------------------------

CREATE TABLE TWX_STAT_COUNTER (
  COUNTER_ID  INTEGER      NOT NULL PRIMARY KEY,
  GROUP_NAME  VARCHAR(64)  NOT NULL,
  NAME        VARCHAR(64)  NOT NULL,
  UNIT        VARCHAR(32)  NOT NULL,
  ROLLUP_TYPE VARCHAR(16)
);
INSERT INTO TWX_STAT_COUNTER (COUNTER_ID, GROUP_NAME, NAME, UNIT, ROLLUP_TYPE) VALUES
  (1, 'cpu', 'load', 'percent', 'average'),
  (2, 'memory', 'used', 'percent', 'average'),
  (3, 'network', 'rxRate', 'kilobytesPerSecond', 'average'),
  (4, 'disk', 'latencyPeak', 'millisecond', 'maximum'),
  (5, 'power', 'consumed', 'joule', NULL),
  (6, 'power', 'limit', 'watt', NULL);

-- Level 1 holds 5-minute samples, level 2 30-minute, level 3 2-hour averages.
CREATE TABLE TWX_HIST_STAT1 (
  SAMPLE_TIME TIMESTAMP NOT NULL,
  ENTITY_ID   INTEGER   NOT NULL,
  COUNTER_ID  INTEGER   NOT NULL,
  STAT_VALUE  BIGINT    NOT NULL
);
CREATE TABLE TWX_HIST_STAT2 (LIKE TWX_HIST_STAT1);
CREATE TABLE TWX_HIST_STAT3 (LIKE TWX_HIST_STAT1);
CREATE INDEX TWX_HIST_STAT1_TIME_IDX ON TWX_HIST_STAT1 (SAMPLE_TIME);
CREATE INDEX TWX_HIST_STAT2_TIME_IDX ON TWX_HIST_STAT2 (SAMPLE_TIME);
CREATE INDEX TWX_HIST_STAT3_TIME_IDX ON TWX_HIST_STAT3 (SAMPLE_TIME);

-- The last two hours at 5 minutes for every host and the first four counters.
INSERT INTO TWX_HIST_STAT1 (SAMPLE_TIME, ENTITY_ID, COUNTER_ID, STAT_VALUE)
SELECT date_trunc('minute', now()) - s * interval '5 minutes', h.ID, c.COUNTER_ID,
       (h.ID * 7 + s * 13 + c.COUNTER_ID * 31) % 100
  FROM TWX_HOST h
  CROSS JOIN generate_series(0, 23) AS s
  CROSS JOIN TWX_STAT_COUNTER c
 WHERE c.COUNTER_ID <= 4;
-- The last two days at 30 minutes for the hosts of Prod-Cluster-A.
INSERT INTO TWX_HIST_STAT2 (SAMPLE_TIME, ENTITY_ID, COUNTER_ID, STAT_VALUE)
SELECT date_trunc('hour', now()) - s * interval '30 minutes', h.ID, c.COUNTER_ID,
       (h.ID * 3 + s * 11 + c.COUNTER_ID * 17) % 100
  FROM TWX_ENTITY h
  CROSS JOIN generate_series(1, 96) AS s
  CROSS JOIN TWX_STAT_COUNTER c
 WHERE h.TYPE_ID = 1 AND h.PARENT_ID = 10 AND c.COUNTER_ID <= 2;
-- The last twenty days at 2 hours for the same hosts.
INSERT INTO TWX_HIST_STAT3 (SAMPLE_TIME, ENTITY_ID, COUNTER_ID, STAT_VALUE)
SELECT date_trunc('hour', now()) - s * interval '2 hours', h.ID, 1,
       (h.ID * 5 + s * 7) % 100
  FROM TWX_ENTITY h
  CROSS JOIN generate_series(1, 240) AS s
 WHERE h.TYPE_ID = 1 AND h.PARENT_ID = 10;

-- What the schema description held before the upgrade (liftaide rebuilds it) -------------------

INSERT INTO TWX_TABLE (ID, TABLE_NAME, HASH)
SELECT row_number() OVER (ORDER BY table_name), upper(table_name), md5(table_name)
  FROM information_schema.tables
 WHERE table_schema = 'tw' AND table_type = 'BASE TABLE';
INSERT INTO TWX_INDEX_COLUMN (TABLE_ID, INDEX_NAME, COLUMN_NAME, POSITION)
SELECT t.ID, 'TWX_ENTITY_PARENT_IDX', 'PARENT_ID', 1
  FROM TWX_TABLE t WHERE t.TABLE_NAME = 'TWX_ENTITY';
INSERT INTO TWX_INDEX_COLUMN (TABLE_ID, INDEX_NAME, COLUMN_NAME, POSITION)
SELECT t.ID, 'TWX_EVENT_TIME_IDX', 'CREATE_TIME', 1
  FROM TWX_TABLE t WHERE t.TABLE_NAME = 'TWX_EVENT';
INSERT INTO TWX_SCHEMA_HASH (SCHEMA_NAME, HASH)
SELECT 'TWDB', md5(string_agg(HASH, '' ORDER BY ID)) FROM TWX_TABLE;

ANALYZE;
