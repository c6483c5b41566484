-- The functions a book on a PostgreSQL server holds, so that the program's
-- statements read the same on both engines, and the triggers that keep the
-- period balances. Statements are separated by a line holding only "-- @@".

CREATE FUNCTION ifnull(a anycompatible, b anycompatible) RETURNS anycompatible
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT coalesce(a, b)';
-- @@
CREATE FUNCTION iif(c boolean, a anycompatible, b anycompatible) RETURNS anycompatible
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT CASE WHEN c THEN a ELSE b END';
-- @@
CREATE FUNCTION instr(haystack text, needle text) RETURNS integer
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT strpos(haystack, needle)';
-- @@
-- The month a transaction counts in, as the period balances key it.
CREATE FUNCTION balance_month(d date) RETURNS text
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS 'SELECT to_char(d, ''YYYY-MM'')';
-- @@
CREATE FUNCTION period_balances_add(acc bigint, side text, d date, amount bigint, incoming boolean)
RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO period_balances AS p (account, flag, month, money_in, count_in, money_out, count_out)
    VALUES (acc, side, balance_month(d),
            CASE WHEN incoming THEN coalesce(amount, 0) ELSE 0 END, CASE WHEN incoming THEN 1 ELSE 0 END,
            CASE WHEN incoming THEN 0 ELSE coalesce(amount, 0) END, CASE WHEN incoming THEN 0 ELSE 1 END)
    ON CONFLICT (account, flag, month) DO UPDATE
       SET money_in = p.money_in + excluded.money_in, count_in = p.count_in + excluded.count_in,
           money_out = p.money_out + excluded.money_out, count_out = p.count_out + excluded.count_out;
END $$;
-- @@
CREATE FUNCTION period_balances_take(acc bigint, flag_ text, d date, amount bigint, incoming boolean)
RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    IF incoming THEN
        UPDATE period_balances SET money_in = money_in - coalesce(amount, 0), count_in = count_in - 1
         WHERE account = acc AND flag = flag_ AND month = balance_month(d);
    ELSE
        UPDATE period_balances SET money_out = money_out - coalesce(amount, 0), count_out = count_out - 1
         WHERE account = acc AND flag = flag_ AND month = balance_month(d);
    END IF;
    DELETE FROM period_balances
     WHERE account = acc AND flag = flag_ AND month = balance_month(d) AND count_in = 0 AND count_out = 0;
END $$;
-- @@
CREATE FUNCTION period_balances_keep() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP IN ('UPDATE', 'DELETE') THEN
        PERFORM period_balances_take(OLD.to_acc, OLD.to_flag, OLD.tran_date, OLD.amount, true);
        PERFORM period_balances_take(OLD.from_acc, OLD.from_flag, OLD.tran_date, OLD.amount, false);
    END IF;
    IF TG_OP IN ('UPDATE', 'INSERT') THEN
        PERFORM period_balances_add(NEW.to_acc, NEW.to_flag, NEW.tran_date, NEW.amount, true);
        PERFORM period_balances_add(NEW.from_acc, NEW.from_flag, NEW.tran_date, NEW.amount, false);
    END IF;
    RETURN NULL;
END $$;
-- @@
CREATE TRIGGER period_balances_insert AFTER INSERT ON transaction_master
    FOR EACH ROW EXECUTE FUNCTION period_balances_keep();
-- @@
CREATE TRIGGER period_balances_delete AFTER DELETE ON transaction_master
    FOR EACH ROW EXECUTE FUNCTION period_balances_keep();
-- @@
CREATE TRIGGER period_balances_update
    AFTER UPDATE OF tran_date, from_acc, from_flag, to_acc, to_flag, amount ON transaction_master
    FOR EACH ROW EXECUTE FUNCTION period_balances_keep();
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
