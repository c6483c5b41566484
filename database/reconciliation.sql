-- Reconciliation with the bank's statements, and the date through which the
-- book is closed. Statements are separated by a line holding only "-- @@".
--
-- Each of a transaction's two sides has its own status: '' (new), 'c'
-- (cleared: the bank shows it) or 'R' (reconciled with a statement, which
-- the side names). A transaction between two accounts can be reconciled on
-- one side and not yet on the other.

-- The statements the user reconciled an account with: its closing balance
-- in whole cents on the statement's date, and who agreed it when.
CREATE TABLE reconciliations (
    id              INTEGER PRIMARY KEY,
    account_id      INTEGER NOT NULL REFERENCES account_master (account_id) DEFERRABLE INITIALLY DEFERRED,
    statement_date  TEXT NOT NULL CHECK (statement_date IS date(statement_date, '+0 days')),
    closing_balance INTEGER NOT NULL CHECK (closing_balance BETWEEN -99999999999999 AND 99999999999999),
    user_name       TEXT NOT NULL,
    made_at         TEXT NOT NULL,
    row_version     INTEGER NOT NULL DEFAULT 1
) STRICT;
-- @@
CREATE INDEX reconciliations_account ON reconciliations (account_id, statement_date);
-- @@
ALTER TABLE transaction_master ADD COLUMN from_status TEXT NOT NULL DEFAULT '' CHECK (from_status IN ('', 'c', 'R'));
-- @@
ALTER TABLE transaction_master ADD COLUMN to_status TEXT NOT NULL DEFAULT '' CHECK (to_status IN ('', 'c', 'R'));
-- @@
ALTER TABLE transaction_master ADD COLUMN from_reconciliation INTEGER
    REFERENCES reconciliations (id) DEFERRABLE INITIALLY DEFERRED;
-- @@
ALTER TABLE transaction_master ADD COLUMN to_reconciliation INTEGER
    REFERENCES reconciliations (id) DEFERRABLE INITIALLY DEFERRED;
-- @@
-- The closed period: the setting CLSD holds the last closed day as ISO text
-- (blank: nothing closed), its latest row counting. Every writer, this
-- program or another, is refused a transaction dated on or before that day:
-- adding it, deleting it, or changing its date, sides, amount or
-- particulars. Its statuses may still change (a closed month is reconciled
-- with the bank later). SQLite raises only fixed text; the program puts the
-- day into the message it shows.
-- An insert that would replace a closed row (INSERT OR REPLACE, which
-- fires no delete trigger where recursive triggers are off) is refused too.
CREATE TRIGGER transaction_closed_insert BEFORE INSERT ON transaction_master
WHEN NEW.tran_date <= (SELECT nullif(sys_value, '') FROM system_settings WHERE sys_code = 'CLSD'
                        ORDER BY rowid DESC LIMIT 1)
  OR (SELECT tran_date FROM transaction_master WHERE tran_id = NEW.tran_id)
     <= (SELECT nullif(sys_value, '') FROM system_settings WHERE sys_code = 'CLSD' ORDER BY rowid DESC LIMIT 1)
BEGIN
    SELECT RAISE(ABORT, 'The book is closed through its closing date: transactions on or before that date cannot be added, changed or deleted.');
END;
-- @@
CREATE TRIGGER transaction_closed_update
BEFORE UPDATE OF tran_date, from_acc, from_flag, to_acc, to_flag, amount, particulars ON transaction_master
WHEN (OLD.tran_date <= (SELECT nullif(sys_value, '') FROM system_settings WHERE sys_code = 'CLSD'
                         ORDER BY rowid DESC LIMIT 1)
      OR NEW.tran_date <= (SELECT nullif(sys_value, '') FROM system_settings WHERE sys_code = 'CLSD'
                            ORDER BY rowid DESC LIMIT 1))
 AND (NEW.tran_date IS NOT OLD.tran_date OR NEW.from_acc IS NOT OLD.from_acc OR NEW.from_flag IS NOT OLD.from_flag
      OR NEW.to_acc IS NOT OLD.to_acc OR NEW.to_flag IS NOT OLD.to_flag OR NEW.amount IS NOT OLD.amount
      OR NEW.particulars IS NOT OLD.particulars)
BEGIN
    SELECT RAISE(ABORT, 'The book is closed through its closing date: transactions on or before that date cannot be added, changed or deleted.');
END;
-- @@
CREATE TRIGGER transaction_closed_delete BEFORE DELETE ON transaction_master
WHEN OLD.tran_date <= (SELECT nullif(sys_value, '') FROM system_settings WHERE sys_code = 'CLSD'
                        ORDER BY rowid DESC LIMIT 1)
BEGIN
    SELECT RAISE(ABORT, 'The book is closed through its closing date: transactions on or before that date cannot be added, changed or deleted.');
END;
