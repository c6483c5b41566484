#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace bc {

// What became of an attempt to open a book.
struct OpenResult {
    // The codes the start-up sequence reacts to: 0 open, PathRefused when the
    // path names no file, OtherFailure for a file that cannot be used.
    static constexpr int Ok = 0;
    static constexpr int PathRefused = -2147467259;
    static constexpr int OtherFailure = -1;

    int code = Ok;
    QString description; // why it failed, for the user
    // The copy of the book as it was, kept beside it when this open brought
    // an older book to the current format; empty when nothing was migrated.
    QString backup;
    // Why the copy into the backups folder before that migration could not
    // be made (the migration went ahead, its own copy kept); else empty.
    QString backupProblem{};
    // The schema objects another program made that this open removed
    // (ForeignObjects::Remove), each as bookobjects.h names it.
    QStringList removedObjects{};
    bool ok() const { return code == Ok; }
};

// True when a book's location names a server database
// ("postgresql://user@host:port/dbname") rather than a book file.
bool isServerLocation(const QString &location);

// What the user is told after an open brought an older book to the current
// format, naming the copy of it as it was.
QString migrationNotice(const QString &backup);

// What an open does with a book holding schema objects this program does
// not make (bookobjects.h): refuse it, naming them and how to remove them;
// open it as it is, for a check that lists them; or remove them first.
enum class ForeignObjects { Refuse, Admit, Remove };

// How a book is opened.
struct OpenOptions {
    // Open without ever writing: an older format is shown as it is, where
    // that is safe, and never migrated; every save is refused.
    bool readOnly = false;
    // How long a statement waits for another program's lock on the book.
    int busyTimeoutMs = 3000;
    // Where a copy of an older book goes, through the automatic backups
    // (autobackup.h), before it is brought to the current format; none when
    // empty.
    QString backupsFolder{};
    // The password of a server book's login; empty to let the connection
    // find it as libpq does (PGPASSWORD, ~/.pgpass).
    QString password{};
    ForeignObjects foreignObjects = ForeignObjects::Refuse;
};

// One open book: a book file on a named SQLite connection with the program's
// SQL functions registered, or a database on a PostgreSQL server named by a
// location "postgresql://user@host:port/dbname". Opening never creates or
// changes a book; one that is not a book is refused with a description naming
// what is wrong.
class Book {
public:
    Book();
    ~Book();
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;

    OpenResult open(const QString &path, const OpenOptions &options = {});
    void close();
    bool isOpen() const;
    // The book file's absolute path, or the server book's location.
    QString path() const { return m_path; }
    bool isOnServer() const { return m_onServer; }
    // False when the book was opened read-only or its server login may only
    // read it: no save is then offered.
    bool mayWrite() const { return m_mayWrite; }
    // The format of the book as it is open: older than formatVersion only
    // when an older book was opened read-only.
    int format() const { return m_format; }

    // The name the change history gives for whoever saves through this
    // book: on a server the login (role) the server knows, else the login
    // name when the program has one; empty names the system user instead.
    void setActorName(const QString &name) { m_actorName = name; }
    QString actorName() const { return m_onServer ? m_serverLogin : m_actorName; }

    // Creates a new book from the schema at path, refusing to overwrite an
    // existing file; a failure removes the partly written file. A server
    // location makes its empty database a book. Returns an empty text on
    // success, else the reason.
    static QString create(const QString &path, const QString &password = {});

    // The newest format of book this program reads: the 'version' row of
    // book_info. A book of a newer format is refused and left as it is; a
    // book without that row (made before it was written) is read as format 1.
    static constexpr int formatVersion = 9;

    // The permanent tables and saved queries a book must hold.
    static const QStringList &requiredTables();
    static const QStringList &requiredSavedQueries();

private:
    // Only core reaches the connection (connection.h).
    friend QSqlDatabase connectionOf(const Book &book);
    QSqlDatabase db() const;
    OpenResult openOnServer(const QString &location, const OpenOptions &options);

    QString m_connectionName;
    QString m_path;
    int m_format = 0;
    bool m_onServer = false;
    bool m_mayWrite = false;
    QString m_actorName;
    QString m_serverLogin;
};

} // namespace bc
