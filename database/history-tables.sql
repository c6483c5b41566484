-- The change history: one change set per save, undo or restore, written in
-- the same transaction as the rows it describes. Statements are separated by
-- a line holding only "-- @@".
--
-- A change set keeps, for each row it replaced or deleted, the row's values
-- before the change as a JSON array of the table's columns in their order;
-- a row it added is kept by id with no values (before is Null), and a run of
-- added rows with consecutive ids (an import) as one range. The values after
-- the change are never copied: they are the row as it is now, or the values
-- a later change set kept before it changed the row again.

CREATE TABLE change_sets (
    id        INTEGER PRIMARY KEY,
    made_at   TEXT NOT NULL,
    user_name TEXT NOT NULL,
    source    TEXT NOT NULL,
    summary   TEXT NOT NULL,
    -- The change set this one undid; each is undone at most once.
    undoes     INTEGER UNIQUE REFERENCES change_sets (id),
    -- 1 when this set takes back an earlier change (an undo), 0 when it
    -- makes or puts back one (a save, an import, a restore or a redo).
    takes_back INTEGER NOT NULL DEFAULT 0 CHECK (takes_back IN (0, 1))
) STRICT;
-- @@
-- tbl names the table by a short word: 'account', 'transaction', 'setting'
-- (system_settings rows, kept by their rowid).
CREATE TABLE change_rows (
    tbl    TEXT NOT NULL,
    row_id INTEGER NOT NULL,
    set_id INTEGER NOT NULL REFERENCES change_sets (id),
    before TEXT,
    PRIMARY KEY (tbl, row_id, set_id)
) STRICT, WITHOUT ROWID;
-- @@
CREATE INDEX change_rows_set ON change_rows (set_id);
-- @@
CREATE TABLE change_ranges (
    set_id   INTEGER NOT NULL REFERENCES change_sets (id),
    tbl      TEXT NOT NULL,
    first_id INTEGER NOT NULL,
    last_id  INTEGER NOT NULL CHECK (last_id >= first_id)
) STRICT;
-- @@
CREATE INDEX change_ranges_set ON change_ranges (set_id);
-- @@
CREATE INDEX change_ranges_rows ON change_ranges (tbl, first_id);
