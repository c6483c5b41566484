-- The functions a book on a PostgreSQL server holds: the month key and the
-- triggers that keep the period balances, and the notice of a change. Statements are separated by a line holding only "-- @@".

-- The month a transaction counts in, as the period balances key it.
CREATE FUNCTION balance_month(d date) RETURNS text
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT to_char(d, ''YYYY-MM'')';
-- @@
-- The kept balances follow each statement's rows at once, grouped by side
-- and month: one change per month touched rather than one per row, so a
-- statement writing many rows does not update one balance row many times.
CREATE FUNCTION period_balances_keep() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP IN ('UPDATE', 'DELETE') THEN
        UPDATE period_balances AS p SET money_in = p.money_in - r.total, count_in = p.count_in - r.n
          FROM (SELECT to_acc AS account, to_flag AS flag, balance_month(tran_date) AS month,
                       sum(coalesce(amount, 0)) AS total, count(*) AS n
                  FROM removed GROUP BY 1, 2, 3) AS r
         WHERE p.account = r.account AND p.flag = r.flag AND p.month = r.month;
        UPDATE period_balances AS p SET money_out = p.money_out - r.total, count_out = p.count_out - r.n
          FROM (SELECT from_acc AS account, from_flag AS flag, balance_month(tran_date) AS month,
                       sum(coalesce(amount, 0)) AS total, count(*) AS n
                  FROM removed GROUP BY 1, 2, 3) AS r
         WHERE p.account = r.account AND p.flag = r.flag AND p.month = r.month;
        DELETE FROM period_balances AS p
         WHERE p.count_in = 0 AND p.count_out = 0
           AND (p.account, p.flag, p.month) IN (
               SELECT to_acc, to_flag, balance_month(tran_date) FROM removed
               UNION SELECT from_acc, from_flag, balance_month(tran_date) FROM removed);
    END IF;
    IF TG_OP IN ('UPDATE', 'INSERT') THEN
        INSERT INTO period_balances AS p (account, flag, month, money_in, count_in, money_out, count_out)
        SELECT to_acc, to_flag, balance_month(tran_date), sum(coalesce(amount, 0)), count(*), 0, 0
          FROM added GROUP BY 1, 2, 3
        ON CONFLICT (account, flag, month) DO UPDATE
           SET money_in = p.money_in + excluded.money_in, count_in = p.count_in + excluded.count_in;
        INSERT INTO period_balances AS p (account, flag, month, money_in, count_in, money_out, count_out)
        SELECT from_acc, from_flag, balance_month(tran_date), 0, 0, sum(coalesce(amount, 0)), count(*)
          FROM added GROUP BY 1, 2, 3
        ON CONFLICT (account, flag, month) DO UPDATE
           SET money_out = p.money_out + excluded.money_out, count_out = p.count_out + excluded.count_out;
    END IF;
    RETURN NULL;
END $$;
-- @@
CREATE TRIGGER period_balances_insert AFTER INSERT ON transaction_master
    REFERENCING NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION period_balances_keep();
-- @@
CREATE TRIGGER period_balances_delete AFTER DELETE ON transaction_master
    REFERENCING OLD TABLE AS removed FOR EACH STATEMENT EXECUTE FUNCTION period_balances_keep();
-- @@
-- TRUNCATE fires no row's trigger: the kept balances are emptied with it.
CREATE FUNCTION period_balances_clear() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    DELETE FROM period_balances;
    RETURN NULL;
END $$;
-- @@
CREATE TRIGGER period_balances_truncate AFTER TRUNCATE ON transaction_master
    FOR EACH STATEMENT EXECUTE FUNCTION period_balances_clear();
-- @@
CREATE TRIGGER period_balances_update AFTER UPDATE ON transaction_master
    REFERENCING OLD TABLE AS removed NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION period_balances_keep();
-- @@
-- Every committed change of the book's rows tells the programs listening on
-- the book, so their open windows show it.
CREATE FUNCTION book_changed() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('brindlecot_book_changed', pg_backend_pid()::text);
    RETURN NULL;
END $$;
-- @@
CREATE TRIGGER account_master_changed AFTER INSERT OR UPDATE OR DELETE ON account_master
    FOR EACH STATEMENT EXECUTE FUNCTION book_changed();
-- @@
CREATE TRIGGER transaction_master_changed AFTER INSERT OR UPDATE OR DELETE ON transaction_master
    FOR EACH STATEMENT EXECUTE FUNCTION book_changed();
-- @@
CREATE TRIGGER system_settings_changed AFTER INSERT OR UPDATE OR DELETE ON system_settings
    FOR EACH STATEMENT EXECUTE FUNCTION book_changed();
-- @@
-- A row changed by another tool without a new version gets one, so a save
-- that loaded the row before still finds it changed.
CREATE FUNCTION row_version_raise() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF NEW.row_version = OLD.row_version THEN
        NEW.row_version := OLD.row_version + 1;
    END IF;
    RETURN NEW;
END $$;
-- @@
CREATE TRIGGER account_master_version BEFORE UPDATE ON account_master
    FOR EACH ROW EXECUTE FUNCTION row_version_raise();
-- @@
CREATE TRIGGER transaction_master_version BEFORE UPDATE ON transaction_master
    FOR EACH ROW EXECUTE FUNCTION row_version_raise();
-- @@
CREATE TRIGGER system_settings_version BEFORE UPDATE ON system_settings
    FOR EACH ROW EXECUTE FUNCTION row_version_raise();
