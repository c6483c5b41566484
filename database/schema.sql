-- The rows of a new Brindlecot book, written after the tables of the
-- current format (format2-tables.sql and the tables of each later format) in
-- the same transaction, which then writes the book's format version. Amounts are
-- INTEGER whole cents; dates are ISO text "YYYY-MM-DD". Statements are
-- separated by a line holding only "-- @@".

INSERT INTO book_info VALUES ('format', 'brindlecot-book');
-- @@
INSERT INTO Account_Type_Master VALUES
    (1, 'Income'), (2, 'Expense'), (3, 'Income/Expense'),
    (4, 'Asset'), (5, 'Liability'), (6, 'Asset/Liability');
-- @@
INSERT INTO account_master (account_id, account_name, account_type, open_amount, particulars, version_date) VALUES
    (1, 'RST', 2, 0, 'Built-in account', NULL),
    (2, 'SC', 2, 0, 'Built-in account', NULL),
    (3, 'CST', 2, 0, 'Built-in account', NULL),
    (4, 'CASH', 4, 0, 'Built-in account', NULL),
    (5, 'SALES', 1, 0, 'Built-in account', NULL),
    (6, 'PURCHASE', 2, 0, 'Built-in account', NULL);
-- @@
INSERT INTO system_settings (sys_code, sys_value, saved_on) VALUES
    ('USER', '', NULL), ('PASS', '', NULL), ('FYST', '', NULL), ('FYEN', '', NULL),
    ('CURR', '', NULL), ('DTFM', 'd/M/yyyy', NULL);
-- @@
-- The saved queries, as the program runs them by name with positional
-- arguments ?1 ... ?n. Dates arrive as short-date text read by DATEVALUE (a
-- blank means "no date"), account ids as numbers (0 means "no account"),
-- flags as one letter, amounts as whole cents (0 means "no bound").
INSERT INTO saved_queries VALUES ('sp_tran_search_1',
'SELECT tran_id AS tran_ID, tran_date, from_flag, from_acc, to_flag, to_acc, amount, particulars
   FROM transaction_master
  WHERE tran_date >= ifnull(DATEVALUE(?1), ''0000-00-00'')
    AND tran_date <= ifnull(DATEVALUE(?2), ''9999-99-99'')
    AND (?3 = 0 OR (from_acc = ?3 AND from_flag = trim(?4)))
    AND (?5 = 0 OR (to_acc = ?5 AND to_flag = trim(?6)))
    AND (?7 = 0 OR amount >= ?7)
    AND (?8 = 0 OR amount <= ?8)
    AND (trim(?9) = '''' OR instr(lower(ifnull(particulars, '''')), lower(trim(?9))) > 0)
  ORDER BY tran_date, tran_id');
-- @@
INSERT INTO saved_queries VALUES ('sp_tran_search1',
'INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag)
 SELECT tran_date, particulars, -ifnull(amount, 0), ''T'', to_acc, to_flag
   FROM transaction_master
  WHERE from_acc = ?3 AND from_flag = ?4
    AND tran_date BETWEEN DATEVALUE(?1) AND DATEVALUE(?2)
  ORDER BY tran_date, tran_id');
-- @@
INSERT INTO saved_queries VALUES ('sp_tran_search2',
'INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag)
 SELECT tran_date, particulars, ifnull(amount, 0), ''T'', from_acc, from_flag
   FROM transaction_master
  WHERE to_acc = ?3 AND to_flag = ?4
    AND tran_date BETWEEN DATEVALUE(?1) AND DATEVALUE(?2)
  ORDER BY tran_date, tran_id');
-- @@
INSERT INTO saved_queries VALUES ('sp_Set_AccName2',
'UPDATE tmp_Acc_Ldgr
    SET acc_name = CASE other_flag
        WHEN ''P'' THEN (SELECT Party_name FROM Party_master WHERE Party_ID = other_acc)
        ELSE (SELECT account_name FROM account_master WHERE account_id = other_acc) END
  WHERE Tran_flag = ''T''');
-- @@
INSERT INTO saved_queries VALUES ('sp_Search_Account_Status',
'SELECT Acc_ID, Acc_Name, Open_amount AS open_Amount, Tran_amount AS Tran_Amount,
        Bal_amount AS Bal_Amount, Acc_Type
   FROM Account_Status
  WHERE (?1 IS NULL OR Bal_amount <= ?1)
    AND (?2 IS NULL OR Bal_amount >= ?2)
  ORDER BY rowid');
