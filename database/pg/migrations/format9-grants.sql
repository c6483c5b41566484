-- The table of imported statements' closing balances, added to a server book
-- made in an earlier format, is granted to every role as transaction_master
-- is, so that the logins the owner gave rights to keep them.
DO $grants$
DECLARE
    g record;
BEGIN
    FOR g IN SELECT grantee, privilege_type FROM information_schema.role_table_grants
             WHERE table_schema = current_schema() AND table_name = 'transaction_master'
               AND grantee <> current_user
    LOOP
        EXECUTE format('GRANT %s ON statement_balances TO %s', g.privilege_type,
                       CASE WHEN g.grantee = 'PUBLIC' THEN 'PUBLIC' ELSE quote_ident(g.grantee) END);
    END LOOP;
END
$grants$
