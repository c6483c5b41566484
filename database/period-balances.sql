-- Kept period balances: per account or party (flag 'A' or 'P') and calendar
-- month ('YYYY-MM'), the sum in whole cents and the number of the
-- transactions dated in that month on each side: money in where it is the To
-- side, money out where it is the From side. A Null amount adds 0 and is
-- counted. A month with no transaction on either side has no row.
--
-- The sums are declared ANY so that a month whose sum leaves the 64-bit
-- range holds SQLite's floating-point result instead of failing the save;
-- the reports then add up that book's transactions directly, and the partial
-- index below finds such rows at once. Statements are separated by a line
-- holding only "-- @@".
CREATE TABLE period_balances (
    account   INTEGER NOT NULL,
    flag      TEXT NOT NULL,
    month     TEXT NOT NULL,
    money_in  ANY NOT NULL,
    count_in  INTEGER NOT NULL,
    money_out ANY NOT NULL,
    count_out INTEGER NOT NULL,
    PRIMARY KEY (account, flag, month)
) STRICT, WITHOUT ROWID;
-- @@
CREATE INDEX period_balances_inexact ON period_balances (account)
    WHERE typeof(money_in) <> 'integer' OR typeof(money_out) <> 'integer';
-- @@
-- The triggers keep the table exact in the transaction of every writer of
-- transaction_master, this program or another.
CREATE TRIGGER period_balances_insert AFTER INSERT ON transaction_master
BEGIN
    INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out)
    VALUES (NEW.to_acc, NEW.to_flag, substr(NEW.tran_date, 1, 7), ifnull(NEW.amount, 0), 1, 0, 0)
    ON CONFLICT DO UPDATE SET money_in = money_in + excluded.money_in, count_in = count_in + 1;
    INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out)
    VALUES (NEW.from_acc, NEW.from_flag, substr(NEW.tran_date, 1, 7), 0, 0, ifnull(NEW.amount, 0), 1)
    ON CONFLICT DO UPDATE SET money_out = money_out + excluded.money_out, count_out = count_out + 1;
END;
-- @@
CREATE TRIGGER period_balances_delete AFTER DELETE ON transaction_master
BEGIN
    UPDATE period_balances SET money_in = money_in - ifnull(OLD.amount, 0), count_in = count_in - 1
     WHERE account = OLD.to_acc AND flag = OLD.to_flag AND month = substr(OLD.tran_date, 1, 7);
    UPDATE period_balances SET money_out = money_out - ifnull(OLD.amount, 0), count_out = count_out - 1
     WHERE account = OLD.from_acc AND flag = OLD.from_flag AND month = substr(OLD.tran_date, 1, 7);
    DELETE FROM period_balances
     WHERE account = OLD.to_acc AND flag = OLD.to_flag AND month = substr(OLD.tran_date, 1, 7)
       AND count_in = 0 AND count_out = 0;
    DELETE FROM period_balances
     WHERE account = OLD.from_acc AND flag = OLD.from_flag AND month = substr(OLD.tran_date, 1, 7)
       AND count_in = 0 AND count_out = 0;
END;
-- @@
CREATE TRIGGER period_balances_update
AFTER UPDATE OF tran_date, from_acc, from_flag, to_acc, to_flag, amount ON transaction_master
BEGIN
    UPDATE period_balances SET money_in = money_in - ifnull(OLD.amount, 0), count_in = count_in - 1
     WHERE account = OLD.to_acc AND flag = OLD.to_flag AND month = substr(OLD.tran_date, 1, 7);
    UPDATE period_balances SET money_out = money_out - ifnull(OLD.amount, 0), count_out = count_out - 1
     WHERE account = OLD.from_acc AND flag = OLD.from_flag AND month = substr(OLD.tran_date, 1, 7);
    DELETE FROM period_balances
     WHERE account = OLD.to_acc AND flag = OLD.to_flag AND month = substr(OLD.tran_date, 1, 7)
       AND count_in = 0 AND count_out = 0;
    DELETE FROM period_balances
     WHERE account = OLD.from_acc AND flag = OLD.from_flag AND month = substr(OLD.tran_date, 1, 7)
       AND count_in = 0 AND count_out = 0;
    INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out)
    VALUES (NEW.to_acc, NEW.to_flag, substr(NEW.tran_date, 1, 7), ifnull(NEW.amount, 0), 1, 0, 0)
    ON CONFLICT DO UPDATE SET money_in = money_in + excluded.money_in, count_in = count_in + 1;
    INSERT INTO period_balances (account, flag, month, money_in, count_in, money_out, count_out)
    VALUES (NEW.from_acc, NEW.from_flag, substr(NEW.tran_date, 1, 7), 0, 0, ifnull(NEW.amount, 0), 1)
    ON CONFLICT DO UPDATE SET money_out = money_out + excluded.money_out, count_out = count_out + 1;
END
