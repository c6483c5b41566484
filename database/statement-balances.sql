-- The closing balances of the bank statements imported into each account,
-- in whole cents on the statement's date, offered when the account is next
-- reconciled. Statements are separated by a line holding only "-- @@".
--
-- The account is named by id without a foreign key, as the import's other
-- tables name it: saving an edited account replaces its row. A statement of
-- the same date imported again replaces its balance.
CREATE TABLE statement_balances (
    account_id      INTEGER NOT NULL,
    statement_date  TEXT NOT NULL CHECK (statement_date IS date(statement_date, '+0 days')),
    closing_balance INTEGER NOT NULL CHECK (closing_balance BETWEEN -99999999999999 AND 99999999999999),
    imported_at     TEXT NOT NULL,
    PRIMARY KEY (account_id, statement_date)
) STRICT;
