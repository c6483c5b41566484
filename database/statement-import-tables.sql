-- The tables of bank statement import: CSV mappings saved by name, the rules
-- that choose a line's counter-account, and the statement lines already
-- imported. Statements are separated by a line holding only "-- @@".
--
-- Accounts and transactions are named by id without a foreign key: saving an
-- edited account or transaction replaces its row, which must neither be
-- refused nor take these rows with it. A rule whose account is gone is not
-- used; an imported line whose transaction was deleted stays remembered, so
-- the same statement line is not brought in again.

CREATE TABLE csv_mappings (
    name                  TEXT PRIMARY KEY,
    delimiter             TEXT NOT NULL CHECK (length(delimiter) = 1),
    encoding              TEXT NOT NULL CHECK (encoding IN ('utf-8', 'windows-1252')),
    skip_rows             INTEGER NOT NULL CHECK (skip_rows >= 0),
    date_column           INTEGER NOT NULL CHECK (date_column >= 0),
    date_pattern          TEXT NOT NULL,
    amount_column         INTEGER NOT NULL CHECK (amount_column >= -1),
    debit_column          INTEGER NOT NULL CHECK (debit_column >= -1),
    credit_column         INTEGER NOT NULL CHECK (credit_column >= -1),
    decimal_separator     TEXT NOT NULL CHECK (length(decimal_separator) = 1),
    thousands_separators  TEXT NOT NULL,
    currency_symbols      TEXT NOT NULL,
    parentheses_negative  INTEGER NOT NULL CHECK (parentheses_negative IN (0, 1)),
    payee_column          INTEGER NOT NULL CHECK (payee_column >= -1),
    memo_column           INTEGER NOT NULL CHECK (memo_column >= -1)
) STRICT;
-- @@
-- Tried in position order; the first whose text the line's payee or memo
-- contains (letters of either case) gives the counter-account.
CREATE TABLE import_rules (
    position    INTEGER PRIMARY KEY,
    field       TEXT NOT NULL CHECK (field IN ('payee', 'memo')),
    contains    TEXT NOT NULL CHECK (contains <> ''),
    account_id  INTEGER NOT NULL
) STRICT;
-- @@
-- line_key is the bank's unique id of the line ("id:" and the id), or
-- without one a hash of its date, amount and payee ("h:" and the hash); a
-- repeat of the same key within one statement carries its occurrence ("#2").
CREATE TABLE imported_lines (
    account_id  INTEGER NOT NULL,
    line_key    TEXT NOT NULL,
    tran_id     INTEGER NOT NULL,
    PRIMARY KEY (account_id, line_key)
) STRICT;
-- @@
CREATE INDEX imported_lines_tran ON imported_lines (tran_id);
