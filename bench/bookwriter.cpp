#include "bookwriter.h"

#include "book.h"
#include "periodbalances.h"
#include "serverwriter.h"
#include "sql.h"
#include "systemsettings.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <sqlite3.h>

namespace bc::bench {

namespace {

// A prepared statement of the raw connection, finalised on every path.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int i, qint64 value) { sqlite3_bind_int64(m_stmt, i, value); }
    void bind(int i, const QByteArray &text)
    {
        sqlite3_bind_text(m_stmt, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    void run(sqlite3 *db)
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(m_stmt);
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

void insertAccounts(sqlite3 *db, const std::vector<GeneratedAccount> &accounts)
{
    Statement insert(db,
                     "INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                     "particulars, version_date) VALUES (?, ?, ?, ?, ?, '01/01/2020')");
    for (const GeneratedAccount &a : accounts) {
        if (a.builtIn)
            continue;
        insert.bind(1, a.id);
        insert.bind(2, a.name.toUtf8());
        insert.bind(3, qint64(a.type));
        insert.bind(4, a.opening);
        insert.bind(5, QByteArrayLiteral("Generated account"));
        insert.run(db);
    }
}

void insertTransactions(sqlite3 *db, const DatasetSpec &spec)
{
    Statement insert(db,
                     "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                     "amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', ?, ?, '2020-01-01 09:00:00')");
    generateTransactions(spec, [&](const GeneratedTransaction &t) {
        insert.bind(1, t.id);
        insert.bind(2, t.date.toString(Qt::ISODate).toLatin1());
        insert.bind(3, t.from);
        insert.bind(4, t.to);
        insert.bind(5, t.amount);
        insert.bind(6, t.particulars.toUtf8());
        insert.run(db);
    });
}

void load(const QSqlDatabase &qdb, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts)
{
    // The book is new: nothing is lost if the load is cut short, so the load
    // skips the journal and the disk flushes.
    runSql(qdb, QStringLiteral("PRAGMA synchronous = OFF"));
    runSql(qdb, QStringLiteral("PRAGMA journal_mode = OFF"));
    // The schema's own index and trigger definitions, to make again after
    // the load: the kept period balances are then filled in one pass rather
    // than row by row.
    QStringList drops;
    QStringList definitions;
    {
        QSqlQuery q = runSql(qdb,
                             QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN ('index', "
                                            "'trigger') AND tbl_name = 'transaction_master' AND sql IS NOT NULL"));
        while (q.next()) {
            drops << QStringLiteral("DROP %1 \"%2\"").arg(q.value(0).toString().toUpper(), q.value(1).toString());
            definitions << q.value(2).toString();
        }
    }
    TransactionGuard transaction(qdb);
    for (const QString &drop : drops)
        runSql(qdb, drop);
    auto *db = *static_cast<sqlite3 *const *>(qdb.driver()->handle().constData());
    insertAccounts(db, accounts);
    insertTransactions(db, spec);
    for (const QString &sql : definitions)
        runSql(qdb, sql);
    if (keepsPeriodBalances(qdb))
        fillPeriodBalances(qdb);
    transaction.commit();
}

} // namespace

QString writeBook(const QString &path, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts,
                  const FinancialYear &year)
{
    if (const QString problem = Book::create(path); !problem.isEmpty())
        return problem;
    Book book;
    if (const OpenResult opened = book.open(path); !opened.ok())
        return opened.description;
    try {
        // A server book keeps a new book's settings: its timings take the
        // financial year as input, and the cross-check reads only book files.
        if (book.isOnServer()) {
            loadOnServer(connectionOf(book), spec, accounts);
            return QString();
        }
        SystemSettingsInput settings;
        settings.finYearStart = year.start;
        settings.finYearEnd = year.end;
        settings.currency = QStringLiteral("EUR");
        saveSystemSettings(book, settings, spec.firstDay);
        load(connectionOf(book), spec, accounts);
    } catch (const DbError &e) {
        return e.description();
    }
    return QString();
}

} // namespace bc::bench
