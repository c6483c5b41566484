-- The saved queries whose text differs on a PostgreSQL server, in the form
-- of ../saved-queries.sql. A date column holds no '0000-00-00', so the open
-- ends of a date range are the server's infinities; an argument that only
-- meets IS NULL is given its type.

-- query: sp_tran_search_1(from_date, to_date, from_acc, from_flag, to_acc, to_flag, least, most, words)
SELECT tran_id AS tran_ID, tran_date, from_flag, from_acc, to_flag, to_acc, amount, particulars
  FROM transaction_master
 WHERE tran_date >= coalesce(CAST(:from_date AS date), '-infinity')
   AND tran_date <= coalesce(CAST(:to_date AS date), 'infinity')
   AND (:from_acc = 0 OR (from_acc = :from_acc AND from_flag = trim(:from_flag)))
   AND (:to_acc = 0 OR (to_acc = :to_acc AND to_flag = trim(:to_flag)))
   AND (:least = 0 OR amount >= :least)
   AND (:most = 0 OR amount <= :most)
   AND (trim(:words) = '' OR strpos(lower(coalesce(particulars, '')), lower(trim(:words))) > 0)
 ORDER BY tran_date, tran_id
-- @@
-- query: sp_Search_Account_Status(most, least)
SELECT Acc_ID, Acc_Name, Open_amount AS open_Amount, Tran_amount AS Tran_Amount,
       Bal_amount AS Bal_Amount, Acc_Type
  FROM Account_Status
 WHERE (CAST(:most AS bigint) IS NULL OR Bal_amount <= :most)
   AND (CAST(:least AS bigint) IS NULL OR Bal_amount >= :least)
 ORDER BY rowid
