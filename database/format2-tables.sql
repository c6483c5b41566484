-- The permanent tables of book format 2. New books are made from them and
-- the migration from format 1 builds them; a later format changes them in a
-- step of its own, never here. Statements are separated by a line holding
-- only "-- @@".
--
-- Every table is STRICT: a value of the wrong type is refused, not stored.
-- Amounts are INTEGER whole cents within +-999,999,999,999.99 (a stored Null
-- amount is shown empty and counted as 0); dates are "YYYY-MM-DD" naming a day
-- that exists (date() with a modifier normalises '2024-02-30' to another day,
-- so only a real date equals its own normalised form); side flags are 'A'
-- (an account) or 'P' (a party).
--
-- Foreign keys are deferred to the end of the transaction, since saving an
-- edited account replaces its row within one transaction.

CREATE TABLE book_info (
    key   TEXT PRIMARY KEY,
    value TEXT NOT NULL
) STRICT;
-- @@
CREATE TABLE Account_Type_Master (
    account_type_id INTEGER PRIMARY KEY,
    account_type    TEXT NOT NULL
) STRICT;
-- @@
CREATE TABLE account_master (
    account_id   INTEGER PRIMARY KEY,
    account_name TEXT,
    account_type INTEGER,
    open_amount  INTEGER CHECK (open_amount BETWEEN -99999999999999 AND 99999999999999),
    particulars  TEXT,
    version_date TEXT,
    -- An account saved without a type holds 0; any other type is a key of
    -- Account_Type_Master, which this virtual column refers to.
    type_key     INTEGER GENERATED ALWAYS AS (nullif(account_type, 0)) VIRTUAL
                 REFERENCES Account_Type_Master (account_type_id) DEFERRABLE INITIALLY DEFERRED
) STRICT;
-- @@
CREATE INDEX account_master_name ON account_master (account_name);
-- @@
-- A side names an account or a party by the same key column, told apart by
-- its flag, and a foreign key cannot depend on a flag. So each side has two
-- virtual generated columns, the key when the flag is 'A' and the key when it
-- is 'P' (else Null, which any foreign key accepts), each referencing its own
-- table. They take no space in the file and are never written by the program.
CREATE TABLE transaction_master (
    tran_id      INTEGER PRIMARY KEY,
    tran_date    TEXT NOT NULL CHECK (tran_date IS date(tran_date, '+0 days')),
    from_acc     INTEGER NOT NULL,
    from_flag    TEXT NOT NULL CHECK (from_flag IN ('A', 'P')),
    to_acc       INTEGER NOT NULL,
    to_flag      TEXT NOT NULL CHECK (to_flag IN ('A', 'P')),
    amount       INTEGER CHECK (amount BETWEEN -99999999999999 AND 99999999999999),
    particulars  TEXT,
    version_date TEXT,
    from_account INTEGER GENERATED ALWAYS AS (CASE from_flag WHEN 'A' THEN from_acc END) VIRTUAL
                 REFERENCES account_master (account_id) DEFERRABLE INITIALLY DEFERRED,
    from_party   INTEGER GENERATED ALWAYS AS (CASE from_flag WHEN 'P' THEN from_acc END) VIRTUAL
                 REFERENCES Party_master (Party_ID) DEFERRABLE INITIALLY DEFERRED,
    to_account   INTEGER GENERATED ALWAYS AS (CASE to_flag WHEN 'A' THEN to_acc END) VIRTUAL
                 REFERENCES account_master (account_id) DEFERRABLE INITIALLY DEFERRED,
    to_party     INTEGER GENERATED ALWAYS AS (CASE to_flag WHEN 'P' THEN to_acc END) VIRTUAL
                 REFERENCES Party_master (Party_ID) DEFERRABLE INITIALLY DEFERRED
) STRICT;
-- @@
-- Covering indexes per side: a ledger or summary reads only the index.
CREATE INDEX transaction_from_side ON transaction_master (from_acc, from_flag, tran_date, amount);
-- @@
CREATE INDEX transaction_to_side ON transaction_master (to_acc, to_flag, tran_date, amount);
-- @@
CREATE INDEX transaction_date ON transaction_master (tran_date, tran_id);
-- @@
CREATE TABLE system_settings (
    sys_code  TEXT,
    sys_value TEXT,
    saved_on  TEXT
) STRICT;
-- @@
CREATE TABLE Party_master (
    Party_ID   INTEGER PRIMARY KEY,
    Party_name TEXT
) STRICT;
-- @@
-- Saved queries: run by name with positional arguments ?1 ... ?n.
CREATE TABLE saved_queries (
    name TEXT PRIMARY KEY,
    body TEXT NOT NULL
) STRICT;
