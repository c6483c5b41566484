-- The closing balances of the bank statements imported into each account,
-- offered when the account is next reconciled. Statements are separated by a
-- line holding only "-- @@".
CREATE TABLE statement_balances (
    account_id      bigint NOT NULL,
    statement_date  date NOT NULL,
    closing_balance bigint NOT NULL CHECK (closing_balance BETWEEN -99999999999999 AND 99999999999999),
    imported_at     text NOT NULL,
    PRIMARY KEY (account_id, statement_date)
);
