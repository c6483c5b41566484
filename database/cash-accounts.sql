-- The "cash or bank" setting of the accounts where the user set it; every
-- other account takes the default, on for the account CASH and off for the
-- rest. Statements are separated by a line holding only "-- @@".
--
-- The account is named by id without a foreign key: saving an edited account
-- replaces its row, which must neither be refused nor take its setting with
-- it. Deleting an account removes its setting.
CREATE TABLE cash_accounts (
    account_id   INTEGER PRIMARY KEY,
    cash_or_bank INTEGER NOT NULL CHECK (cash_or_bank IN (0, 1))
) STRICT;
