-- Migration from format 1 to format 2, second half, once the format-2
-- tables exist: every row is carried over (the rows were judged first, so a
-- row the new tables refuse stops the migration with its reason), then the
-- format-1 tables and the work tables, which are now temporary tables of
-- each connection, are dropped.

INSERT INTO book_info (key, value) SELECT key, value FROM v1_book_info;
-- @@
INSERT INTO Account_Type_Master (account_type_id, account_type)
SELECT account_type_id, account_type FROM v1_Account_Type_Master;
-- @@
INSERT INTO account_master (account_id, account_name, account_type, open_amount, particulars, version_date)
SELECT account_id, account_name, account_type, open_amount, particulars, version_date FROM v1_account_master;
-- @@
INSERT INTO Party_master (Party_ID, Party_name) SELECT Party_ID, Party_name FROM v1_Party_master;
-- @@
INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, particulars,
                                version_date)
SELECT tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, particulars, version_date
  FROM v1_transaction_master;
-- @@
INSERT INTO system_settings (sys_code, sys_value, saved_on) SELECT sys_code, sys_value, saved_on FROM v1_system_settings;
-- @@
DROP TABLE v1_book_info;
-- @@
DROP TABLE v1_Account_Type_Master;
-- @@
DROP TABLE v1_account_master;
-- @@
DROP TABLE v1_transaction_master;
-- @@
DROP TABLE v1_system_settings;
-- @@
DROP TABLE v1_Party_master;
-- @@
DROP TABLE v1_saved_queries;
-- @@
DROP TABLE IF EXISTS main.tmp_account_i;
-- @@
DROP TABLE IF EXISTS main.tmp_account_d;
-- @@
DROP TABLE IF EXISTS main.tmp_transaction_master_i;
-- @@
DROP TABLE IF EXISTS main.tmp_transaction_master_d;
-- @@
DROP TABLE IF EXISTS main.tmp_Acc_Ldgr;
-- @@
DROP TABLE IF EXISTS main.tmp_amount;
-- @@
DROP TABLE IF EXISTS main.Tmp_acc_ldgr_graph;
-- @@
DROP TABLE IF EXISTS main.Account_Status;
-- @@
DROP TABLE IF EXISTS main.tmp_party_i;
-- @@
DROP TABLE IF EXISTS main.tmp_party_d
