-- The saved queries as the program runs them, under the names a book keeps
-- copies of (its saved_queries rows, never run). Each statement follows a
-- line "-- query: NAME(PARAMETER, ...)" naming it and its parameters in the
-- order the program passes its arguments; the text names them ":PARAMETER".
-- A parameter named "..._date" receives a date as the user types it (the
-- short-date form), bound as its ISO date, or Null when it is no date.
-- Statements are separated by a line holding only "-- @@". A query whose
-- text differs on a PostgreSQL server has that text in pg/saved-queries.sql.

-- query: sp_tran_search_1(from_date, to_date, from_acc, from_flag, to_acc, to_flag, least, most, words)
SELECT tran_id AS tran_ID, tran_date, from_flag, from_acc, to_flag, to_acc, amount, particulars
  FROM transaction_master
 WHERE tran_date >= coalesce(:from_date, '0000-00-00')
   AND tran_date <= coalesce(:to_date, '9999-99-99')
   AND (:from_acc = 0 OR (from_acc = :from_acc AND from_flag = trim(:from_flag)))
   AND (:to_acc = 0 OR (to_acc = :to_acc AND to_flag = trim(:to_flag)))
   AND (:least = 0 OR amount >= :least)
   AND (:most = 0 OR amount <= :most)
   AND (trim(:words) = '' OR instr(lower(coalesce(particulars, '')), lower(trim(:words))) > 0)
 ORDER BY tran_date, tran_id
-- @@
-- query: sp_tran_search1(from_date, to_date, account, flag)
INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag)
SELECT tran_date, particulars, -coalesce(amount, 0), 'T', to_acc, to_flag
  FROM transaction_master
 WHERE from_acc = :account AND from_flag = :flag
   AND tran_date BETWEEN :from_date AND :to_date
 ORDER BY tran_date, tran_id
-- @@
-- query: sp_tran_search2(from_date, to_date, account, flag)
INSERT INTO tmp_Acc_Ldgr (tran_date, particulars, amount, Tran_flag, other_acc, other_flag)
SELECT tran_date, particulars, coalesce(amount, 0), 'T', from_acc, from_flag
  FROM transaction_master
 WHERE to_acc = :account AND to_flag = :flag
   AND tran_date BETWEEN :from_date AND :to_date
 ORDER BY tran_date, tran_id
-- @@
-- query: sp_Set_AccName2()
UPDATE tmp_Acc_Ldgr
   SET acc_name = CASE other_flag
       WHEN 'P' THEN (SELECT Party_name FROM Party_master WHERE Party_ID = other_acc)
       ELSE (SELECT account_name FROM account_master WHERE account_id = other_acc) END
 WHERE Tran_flag = 'T'
-- @@
-- query: sp_Search_Account_Status(most, least)
SELECT Acc_ID, Acc_Name, Open_amount AS open_Amount, Tran_amount AS Tran_Amount,
       Bal_amount AS Bal_Amount, Acc_Type
  FROM Account_Status
 WHERE (:most IS NULL OR Bal_amount <= :most)
   AND (:least IS NULL OR Bal_amount >= :least)
 ORDER BY rowid
