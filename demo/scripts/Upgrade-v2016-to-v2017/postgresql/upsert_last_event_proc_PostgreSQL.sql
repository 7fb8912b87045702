-- Keeps the latest event of an entity in TWX_EVENT_LAST; an older event leaves it as it is.
-- Procedure file: each definition starts at its CREATE line and runs as one statement.
CREATE OR REPLACE FUNCTION upsert_last_event_proc(p_entity_id INTEGER, p_event_id BIGINT,
                                                  p_create_time TIMESTAMP,
                                                  p_event_type VARCHAR)
RETURNS VOID
LANGUAGE plpgsql
AS $$
BEGIN
  INSERT INTO TWX_EVENT_LAST AS l (ENTITY_ID, EVENT_ID, CREATE_TIME, EVENT_TYPE)
  VALUES (p_entity_id, p_event_id, p_create_time, p_event_type)
  ON CONFLICT (ENTITY_ID) DO UPDATE
     SET EVENT_ID = EXCLUDED.EVENT_ID, CREATE_TIME = EXCLUDED.CREATE_TIME,
         EVENT_TYPE = EXCLUDED.EVENT_TYPE
   WHERE l.CREATE_TIME <= EXCLUDED.CREATE_TIME;
END;
$$;
