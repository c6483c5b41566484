-- Migration from format 1 to format 2, first half: the format-1 tables step
-- aside (their indexes first, whose names format 2 reuses) so the format-2
-- tables can be made under the same names (a book made before book_info
-- was written gets an empty one). Foreign keys are off for the
-- whole migration, so renaming rewrites nothing.

CREATE TABLE IF NOT EXISTS book_info (key TEXT PRIMARY KEY, value TEXT NOT NULL);
-- @@
DROP INDEX IF EXISTS account_master_name;
-- @@
DROP INDEX IF EXISTS transaction_from_side;
-- @@
DROP INDEX IF EXISTS transaction_to_side;
-- @@
DROP INDEX IF EXISTS transaction_date;
-- @@
ALTER TABLE book_info RENAME TO v1_book_info;
-- @@
ALTER TABLE Account_Type_Master RENAME TO v1_Account_Type_Master;
-- @@
ALTER TABLE account_master RENAME TO v1_account_master;
-- @@
ALTER TABLE transaction_master RENAME TO v1_transaction_master;
-- @@
ALTER TABLE system_settings RENAME TO v1_system_settings;
-- @@
ALTER TABLE Party_master RENAME TO v1_Party_master;
-- @@
ALTER TABLE saved_queries RENAME TO v1_saved_queries
