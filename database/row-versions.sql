-- Row versions: every editable row carries the number of its version, 1 when
-- it is first written. A save writes a row only while its version is still
-- the one the window loaded, and gives it that version plus 1, so a save
-- made from stale rows is refused instead of putting them back over another
-- user's change. Statements are separated by a line holding only "-- @@".
ALTER TABLE account_master ADD COLUMN row_version INTEGER NOT NULL DEFAULT 1;
-- @@
ALTER TABLE transaction_master ADD COLUMN row_version INTEGER NOT NULL DEFAULT 1;
-- @@
ALTER TABLE system_settings ADD COLUMN row_version INTEGER NOT NULL DEFAULT 1;
-- @@
-- Another program that updates a row without giving it a new version still
-- changes it: the triggers count the update, so a save of the old row is
-- refused as well. The program's own writes always change the version.
CREATE TRIGGER account_master_version AFTER UPDATE ON account_master
WHEN NEW.row_version = OLD.row_version
BEGIN
    UPDATE account_master SET row_version = OLD.row_version + 1 WHERE account_id = NEW.account_id;
END;
-- @@
CREATE TRIGGER transaction_master_version AFTER UPDATE ON transaction_master
WHEN NEW.row_version = OLD.row_version
BEGIN
    UPDATE transaction_master SET row_version = OLD.row_version + 1 WHERE tran_id = NEW.tran_id;
END;
-- @@
CREATE TRIGGER system_settings_version AFTER UPDATE ON system_settings
WHEN NEW.row_version = OLD.row_version
BEGIN
    UPDATE system_settings SET row_version = OLD.row_version + 1 WHERE rowid = NEW.rowid;
END;
