-- The saved queries whose text differs on a PostgreSQL server, written over
-- the rows of schema.sql. A date column holds no '0000-00-00', so the open
-- ends of a date range are the server's infinities; an argument that only
-- meets IS NULL is given its type.

UPDATE saved_queries SET body =
'SELECT tran_id AS tran_ID, tran_date, from_flag, from_acc, to_flag, to_acc, amount, particulars
   FROM transaction_master
  WHERE tran_date >= ifnull(DATEVALUE(?1), ''-infinity'')
    AND tran_date <= ifnull(DATEVALUE(?2), ''infinity'')
    AND (?3 = 0 OR (from_acc = ?3 AND from_flag = trim(?4)))
    AND (?5 = 0 OR (to_acc = ?5 AND to_flag = trim(?6)))
    AND (?7 = 0 OR amount >= ?7)
    AND (?8 = 0 OR amount <= ?8)
    AND (trim(?9) = '''' OR instr(lower(ifnull(particulars, '''')), lower(trim(?9))) > 0)
  ORDER BY tran_date, tran_id'
WHERE name = 'sp_tran_search_1';
-- @@
UPDATE saved_queries SET body =
'SELECT Acc_ID, Acc_Name, Open_amount AS open_Amount, Tran_amount AS Tran_Amount,
        Bal_amount AS Bal_Amount, Acc_Type
   FROM Account_Status
  WHERE (CAST(?1 AS bigint) IS NULL OR Bal_amount <= ?1)
    AND (CAST(?2 AS bigint) IS NULL OR Bal_amount >= ?2)
  ORDER BY rowid'
WHERE name = 'sp_Search_Account_Status';
