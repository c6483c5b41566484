-- The work tables of the lists and reports: temporary tables of each
-- connection, made when a book is opened. They never reach the book file, so
-- a report is a pure read (it works on a read-only book and while another
-- program writes) and staged edits stay private to the program that made
-- them. In a format-1 book, which held work tables of the same names, these
-- are found first. Statements are separated by a line holding only "-- @@".

CREATE TEMP TABLE tmp_account_i (
    Account_ID   INTEGER,
    Account_Name TEXT,
    Account_Type INTEGER,
    Open_amount  INTEGER,
    particulars  TEXT,
    version_date TEXT,
    Row_Version  INTEGER
);
-- @@
CREATE TEMP TABLE tmp_account_d (account_id INTEGER);
-- @@
CREATE TEMP TABLE tmp_transaction_master_d (tran_id INTEGER);
-- @@
-- Ledger work table. Rows keep the order in which they were appended
-- (seq), so movements of one day list in a stable order.
CREATE TEMP TABLE tmp_Acc_Ldgr (
    seq         INTEGER PRIMARY KEY,
    tran_date   TEXT,
    particulars TEXT,
    amount      INTEGER,
    Tran_flag   TEXT,
    acc_name    TEXT,
    other_acc   INTEGER,
    other_flag  TEXT,
    -- The account's side's standing with the bank: '', 'c' or 'R'.
    status      TEXT
);
-- @@
CREATE TEMP TABLE tmp_amount (amount INTEGER);
-- @@
CREATE TEMP TABLE Tmp_acc_ldgr_graph (
    tran_date TEXT,
    amount    INTEGER
);
-- @@
CREATE TEMP TABLE Account_Status (
    Acc_ID      INTEGER,
    Acc_Name    TEXT,
    Acc_Type    TEXT,
    Open_amount INTEGER,
    Tran_amount INTEGER,
    Bal_amount  INTEGER
);
-- @@
CREATE TEMP TABLE tmp_party_i (Party_ID INTEGER, Party_name TEXT);
-- @@
CREATE TEMP TABLE tmp_party_d (Party_ID INTEGER);
