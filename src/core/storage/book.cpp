#include "book.h"

#include "bookobjects.h"
#include "connection.h"
#include "connectionbackup.h"
#include "dates.h"
#include "engine.h"
#include "migrations.h"
#include "schema.h"
#include "serverbook.h"
#include "sql.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <sqlite3.h>

namespace bc {

// SQLite: everything in this file is SQLite's own (the file header, the C
// API for recovery, DATEVALUE and the authorizer, sqlite_master, PRAGMA).

namespace {

QAtomicInteger<int> connectionCounter;

// Reads the first page header: a book is an SQLite file whose size covers
// every page its header counts, which catches files cut short by a copy.
QString checkFileHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The book file cannot be read: %1").arg(file.errorString());
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return QStringLiteral("The file \"%1\" is not a Brindlecot book.").arg(path);
    const auto byte = [&](int i) { return quint32(quint8(header[i])); };
    quint32 pageSize = (byte(16) << 8) | byte(17);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pageCount = (byte(28) << 24) | (byte(29) << 16) | (byte(30) << 8) | byte(31);
    const bool countValid = header.mid(24, 4) == header.mid(92, 4);
    if (countValid && pageCount > 0 && quint64(file.size()) < quint64(pageSize) * pageCount)
        return QStringLiteral("The book \"%1\" is damaged: the file is shorter than its contents "
                              "(it may have been cut off while copying).")
            .arg(path);
    return QString();
}

// A save cut short by a crash leaves the book half written and, beside it,
// the journal holding what the save changed: SQLite puts the book back as it
// was before that save the first time it reads it. That read is done here,
// before the header is checked, so the checks see the restored book rather
// than the half-written one. Only files that begin as SQLite files are read,
// so nothing else is ever written to. Returns SQLite's reason when the read
// fails (a read-only book cannot be put back), else an empty text.
QString recoverInterruptedSave(const QString &path, int busyTimeoutMs)
{
    if (!QFileInfo(path + QStringLiteral("-journal")).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.read(16).startsWith(QByteArray("SQLite format 3\0", 16)))
        return QString();
    file.close();
    sqlite3 *connection = nullptr;
    int status = sqlite3_open_v2(QFile::encodeName(path).constData(), &connection, SQLITE_OPEN_READWRITE, nullptr);
    if (status == SQLITE_OK) {
        sqlite3_busy_timeout(connection, busyTimeoutMs);
        status = sqlite3_exec(connection, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    const QString why = status == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(connection));
    sqlite3_close(connection);
    return why;
}

// The second wall behind running only the program's own statements: for the
// life of the connection nothing reaches a file other than the book, and
// nothing writes anywhere but the rows of the book's tables and the
// connection's own temporary work tables. VACUUM, plain or INTO a file,
// attaches its target and so meets the same refusal as ATTACH. Tables are
// still created, renamed and dropped by statements (a migration does), but
// the schema itself is never written as rows (writable_schema).
int refuseOtherFiles(void *, int action, const char *first, const char *second, const char *database, const char *)
{
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH: return SQLITE_DENY;
    case SQLITE_PRAGMA: return second && first && qstricmp(first, "writable_schema") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        return !database || qstrcmp(database, "main") == 0 || qstrcmp(database, "temp") == 0 ? SQLITE_OK : SQLITE_DENY;
    default: return SQLITE_OK;
    }
}

void dateValue(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const QDate date = parseShortDate(QString::fromUtf8(text ? text : ""));
    if (!date.isValid()) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray iso = isoDate(date).toUtf8();
    sqlite3_result_text(context, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
}

// The first column of every row a statement gives.
QStringList firstColumn(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery q = runSql(db, statement);
    QStringList values;
    while (q.next())
        values << q.value(0).toString();
    return values;
}

QString missingPart(const QSqlDatabase &db)
{
    const QStringList present = firstColumn(db,
                                            QStringLiteral(
                                                "SELECT lower(name) FROM sqlite_master WHERE type = 'table'"));
    if (!present.contains(QLatin1String("book_info")) && !present.contains(QLatin1String("account_master")))
        return QStringLiteral("The file \"%1\" is a database but not a Brindlecot book.").arg(db.databaseName());
    for (const QString &t : Book::requiredTables())
        if (!present.contains(t.toLower()))
            return QStringLiteral("The book is incomplete: the table \"%1\" is missing.").arg(t);
    const QStringList names = firstColumn(db, QStringLiteral("SELECT name FROM saved_queries"));
    for (const QString &q : Book::requiredSavedQueries())
        if (!names.contains(q))
            return QStringLiteral("The book is incomplete: the saved query \"%1\" is missing.").arg(q);
    return QString();
}

// The book's format: the 'version' row of book_info. A book without
// book_info, or without its version row, was made before the version was
// written: format 1. A book written in a newer format than this program reads
// is refused before anything is read from or written to its tables.
int bookFormat(const QSqlDatabase &db)
{
    if (engineOf(db) == Engine::SQLite
        && firstColumn(db,
                       QStringLiteral("SELECT name FROM sqlite_master "
                                      "WHERE type = 'table' AND lower(name) = 'book_info'"))
               .isEmpty())
        return 1;
    const QStringList version = firstColumn(db, QStringLiteral("SELECT value FROM book_info WHERE key = 'version'"));
    if (version.isEmpty())
        return 1;
    bool isNumber = false;
    const int format = version.first().trimmed().toInt(&isNumber);
    if (!isNumber || format < 1)
        throw DbError(QStringLiteral("The book's format \"%1\" is not one this program knows.").arg(version.first()));
    if (format > Book::formatVersion)
        throw DbError(QStringLiteral("This book was written by a newer Brindlecot (format %1); "
                                     "this program reads up to format %2.")
                          .arg(format)
                          .arg(Book::formatVersion));
    return format;
}

// A server book of an earlier format is brought forward when opened to
// write by a login that may add tables (its owner); otherwise it is refused
// as it stands.
void bringServerBookOpenedForward(const QSqlDatabase &db, int format, bool readOnly)
{
    const QString refused = QStringLiteral("The server book is of format %1; its owner must open it once with this "
                                           "program, not read-only, to bring it to format %2.")
                                .arg(format)
                                .arg(Book::formatVersion);
    if (readOnly)
        throw DbError(refused);
    try {
        bringServerBookForward(db);
    } catch (const DbError &e) {
        throw DbError(refused + u'\n' + e.description(), e.fault());
    }
}

// Brings an older book to the current format, or, when it is open read-only,
// shows it as it is where this program reads that format safely. Returns the
// format of the book as it is then open; opened.backup names the copy a
// migration kept, and a copy into the backups folder is made first.
int bringForward(const QSqlDatabase &db, const QString &path, int format, const OpenOptions &options,
                 OpenResult &opened)
{
    if (format == Book::formatVersion)
        return format;
    if (sqlite3_db_readonly(connectionHandle(db), "main") != 1) {
        if (!options.backupsFolder.isEmpty()) {
            try {
                backUpConnection(db, path, options.backupsFolder, QDateTime::currentDateTime());
            } catch (const DbError &e) {
                opened.backupProblem = e.description();
            }
        }
        opened.backup = migrateBook(db, path, format);
        return Book::formatVersion;
    }
    if (!readableWithoutMigration(format))
        throw DbError(QStringLiteral("The book is of format %1 and open read-only, so it cannot be brought to "
                                     "format %2, and this program cannot show format %1 as it is.")
                          .arg(format)
                          .arg(Book::formatVersion));
    return format;
}

// Refuses, admits or removes the schema objects another program made in
// the book, before anything of the program's runs inside its transactions.
void handleForeignObjects(const QSqlDatabase &db, const QString &location, const OpenOptions &options,
                          OpenResult &opened)
{
    if (options.foreignObjects == ForeignObjects::Refuse)
        refuseForeignObjects(db, location);
    else if (options.foreignObjects == ForeignObjects::Remove)
        for (const ForeignObject &object : removeForeignObjects(db))
            opened.removedObjects << object.text();
}

// SQLite cannot open a path longer than its file layer allows (512 bytes on
// Unix) and says only "unable to open database file"; this names the cause.
QString pathTooLong(const QString &path)
{
    const sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    const qsizetype length = QFile::encodeName(QFileInfo(path).absoluteFilePath()).size();
    if (!vfs || length < vfs->mxPathname)
        return QString();
    return QStringLiteral("The path of the book is too long (%1 bytes; at most %2 can be used). "
                          "Move the book to a folder with a shorter path.")
        .arg(length)
        .arg(vfs->mxPathname - 1);
}

} // namespace

Book::Book()
    : m_connectionName(QStringLiteral("brindlecot-book-%1").arg(connectionCounter.fetchAndAddOrdered(1)))
{
}

Book::~Book()
{
    close();
}

const QStringList &Book::requiredTables()
{
    // The work tables are made on every open, so a book need not hold them.
    static const QStringList tables = {QStringLiteral("Account_Type_Master"), QStringLiteral("account_master"),
                                       QStringLiteral("transaction_master"),  QStringLiteral("system_settings"),
                                       QStringLiteral("Party_master"),        QStringLiteral("saved_queries")};
    return tables;
}

bool isServerLocation(const QString &location)
{
    const QString t = location.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

const QStringList &Book::requiredSavedQueries()
{
    static const QStringList queries = {QStringLiteral("sp_tran_search_1"), QStringLiteral("sp_tran_search1"),
                                        QStringLiteral("sp_tran_search2"), QStringLiteral("sp_Set_AccName2"),
                                        QStringLiteral("sp_Search_Account_Status")};
    return queries;
}

QSqlDatabase Book::db() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

sqlite3 *connectionHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

QSqlDatabase connectionOf(const Book &book)
{
    return book.db();
}

bool Book::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && db().isOpen();
}

OpenResult Book::open(const QString &path, const OpenOptions &options)
{
    close();
    if (isServerLocation(path))
        return openOnServer(path.trimmed(), options);
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.exists() || !info.isFile())
        return {OpenResult::PathRefused, QStringLiteral("The book \"%1\" does not exist.").arg(path), {}};
    const QString recovery = recoverInterruptedSave(path, options.busyTimeoutMs);
    if (const QString bad = checkFileHeader(path); !bad.isEmpty())
        return {OpenResult::OtherFailure,
                recovery.isEmpty() ? bad
                                   : QStringLiteral("The book \"%1\" was left half saved by a crash and could not be "
                                                    "put back (%2).")
                                         .arg(path, recovery),
                {}};
    if (const QString bad = pathTooLong(path); !bad.isEmpty())
        return {OpenResult::OtherFailure, bad, {}};

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(info.absoluteFilePath());
        QString connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs);
        if (options.readOnly)
            connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(connectOptions);
        if (!db.open()) {
            const QString why = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            return {OpenResult::OtherFailure, why, {}};
        }
    }
    QSqlDatabase db = this->db();
    OpenResult opened;
    try {
        if (!registerSqlFunctions(db))
            throw DbError(QStringLiteral("The program's SQL functions could not be registered."));
        runSql(db, QStringLiteral("PRAGMA foreign_keys = ON"));
        runSql(db, QStringLiteral("PRAGMA synchronous = FULL"));
        // A row replaced through INSERT OR REPLACE then fires the delete
        // triggers, so the kept period balances lose the replaced row.
        runSql(db, QStringLiteral("PRAGMA recursive_triggers = ON"));
        const int format = bookFormat(db);
        if (const QString missing = missingPart(db); !missing.isEmpty())
            throw DbError(missing);
        handleForeignObjects(db, info.absoluteFilePath(), options, opened);
        m_format = bringForward(db, info.absoluteFilePath(), format, options, opened);
        for (const QString &statement : sqlScript(QStringLiteral("worktables.sql")))
            runSql(db, statement);
    } catch (const DbError &e) {
        db = QSqlDatabase();
        close();
        return {OpenResult::OtherFailure, e.description(), {}};
    }
    m_path = info.absoluteFilePath();
    m_mayWrite = !options.readOnly && m_format == formatVersion;
    return opened;
}

// A server book is made in the current format by this program's create; a
// newer one, or one older than the server formats this program brings
// forward, is refused as it stands, never changed.
OpenResult Book::openOnServer(const QString &location, const OpenOptions &options)
{
    if (const QString bad = openServerConnection(m_connectionName, location, options.password); !bad.isEmpty())
        return {OpenResult::OtherFailure, bad, {}};
    QSqlDatabase db = this->db();
    OpenResult opened;
    try {
        QSqlQuery found = runSql(db, QStringLiteral("SELECT to_regclass('book_info') IS NOT NULL"));
        if (!found.next() || !found.value(0).toBool())
            throw DbError(QStringLiteral("The server database \"%1\" is not a Brindlecot book.")
                              .arg(locationForDisplay(location)));
        const int format = bookFormat(db);
        if (format < oldestServerFormatBroughtForward)
            throw DbError(QStringLiteral("The server book is of format %1; this program works on server books of "
                                         "format %2 only.")
                              .arg(format)
                              .arg(formatVersion));
        prepareServerSession(db, options.readOnly, options.busyTimeoutMs);
        if (format < formatVersion)
            bringServerBookOpenedForward(db, format, options.readOnly);
        handleForeignObjects(db, locationForDisplay(location), options, opened);
        m_mayWrite = !options.readOnly && serverLoginMayWrite(db);
        QSqlQuery login = runSql(db, QStringLiteral("SELECT session_user"));
        m_serverLogin = login.next() ? login.value(0).toString() : QString();
    } catch (const DbError &e) {
        db = QSqlDatabase();
        close();
        return {OpenResult::OtherFailure, e.description(), {}};
    }
    m_format = formatVersion;
    m_onServer = true;
    m_path = location;
    return opened;
}

QString migrationNotice(const QString &backup)
{
    return QStringLiteral("The book was brought up to format %1 of this program. A copy of it as it was is kept "
                          "as \"%2\".")
        .arg(Book::formatVersion)
        .arg(backup);
}

void Book::close()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_path.clear();
    m_format = 0;
    m_onServer = false;
    m_mayWrite = false;
}

QString Book::create(const QString &path, const QString &password)
{
    if (isServerLocation(path))
        return createServerBook(path.trimmed(), password);
    if (QFileInfo::exists(path))
        return QStringLiteral("The file \"%1\" already exists; a new book is never written over it.").arg(path);
    if (const QString bad = pathTooLong(path); !bad.isEmpty())
        return bad;
    const QString name = QStringLiteral("brindlecot-create-%1").arg(connectionCounter.fetchAndAddOrdered(1));
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            try {
                TransactionGuard transaction(db);
                for (const QString &statement : schemaStatements())
                    runSql(db, statement);
                runSql(db, QStringLiteral("INSERT INTO book_info (key, value) VALUES ('version', ?)"),
                       {QString::number(formatVersion)});
                transaction.commit();
            } catch (const DbError &e) {
                failure = e.description();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        return failure.isEmpty() ? QStringLiteral("The book could not be created.") : failure;
    }
    return QString();
}

bool registerSqlFunctions(const QSqlDatabase &db)
{
    sqlite3 *connection = connectionHandle(db);
    if (!connection)
        return false;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(connection, "DATEVALUE", 1, flags, nullptr, dateValue, nullptr, nullptr, nullptr)
        == SQLITE_OK
        && sqlite3_set_authorizer(connection, refuseOtherFiles, nullptr) == SQLITE_OK;
}

} // namespace bc
