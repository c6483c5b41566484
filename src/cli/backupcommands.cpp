#include "autobackup.h"
#include "bookaccess.h"
#include "bookcopy.h"
#include "bookrestore.h"
#include "commandline.h"
#include "commands.h"
#include "output.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace bc::cli {

namespace {

bool sameFolder(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

int runBackup(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("backup"),
                            QStringLiteral("Copies the book with SQLite's online backup, checks the copy with "
                                           "integrity_check and prints its path; a copy that fails the check is "
                                           "deleted and the command fails.\n"
                                           "DEST: a folder, where the copy is named BOOK-DIGEST-YYYYMMDD-HHMMSS.fd "
                                           "(DIGEST: eight hex digits that stand for the book's full path, so "
                                           "books of the same name keep their copies apart), or a new file ending "
                                           "in .fd. Without DEST the copy goes to the backups folder, where the "
                                           "book's older copies are thinned to the newest of each of the last 7 "
                                           "days, 4 weeks and 12 months."),
                            {QStringLiteral("BOOK"), QStringLiteral("[DEST]")});
    if (!commandLine.parse(arguments))
        return Success;
    const QString dest = commandLine.positional(1);
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = true});
    const QDateTime now = QDateTime::currentDateTime();
    const QString folder = dest.isEmpty() ? backupsFolder() : dest;
    QString copy;
    if (!dest.isEmpty() && !QFileInfo(dest).isDir() && dest.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive))
        copy = copyBookTo(book, dest);
    else if (dest.isEmpty() || sameFolder(dest, backupsFolder()))
        copy = backUpBook(book, folder, now);
    else
        copy = copyBookInto(book, folder, now);
    writeOut(QDir::toNativeSeparators(copy) + u'\n');
    return Success;
}

int runRestore(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("restore"),
                            QStringLiteral("Puts the backup BACKUP in place of BOOK. BACKUP must be a book that "
                                           "passes integrity_check. BOOK is kept first as "
                                           "BOOK-replaced-YYYYMMDD-HHMMSS.fd beside it, then replaced in one step, "
                                           "keeping its owner and permissions; a symbolic link BOOK stays and the "
                                           "book it points to is replaced. Refused while another program uses BOOK."),
                            {QStringLiteral("BACKUP"), QStringLiteral("BOOK")});
    if (!commandLine.parse(arguments))
        return Success;
    const QString book = commandLine.positional(1);
    const QString replaced = restoreBook(commandLine.positional(0), book, QDateTime::currentDateTime(),
                                         busyTimeoutMs(3000));
    if (!replaced.isEmpty())
        writeOut(QStringLiteral("The book it replaced is kept as %1\n").arg(QDir::toNativeSeparators(replaced)));
    return Success;
}

int runCopy(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("copy"),
                            QStringLiteral("Copies every row of BOOK (accounts, parties, transactions, settings, "
                                           "change history and statement-import records) into a new book at DEST, "
                                           "in one transaction, and prints how many transactions it copied. Either "
                                           "may be a book file or a server location "
                                           "postgresql://user@host:port/database; DEST must be a file that does not "
                                           "exist yet or an empty server database. The server's password comes "
                                           "from PGPASSWORD or ~/.pgpass."),
                            {QStringLiteral("BOOK"), QStringLiteral("DEST")});
    if (!commandLine.parse(arguments))
        return Success;
    Book book;
    // The copy takes the rows alone, so objects another program made in the
    // book stay behind and need not be refused.
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = true, .foreignObjects = ForeignObjects::Admit});
    const qint64 copied = copyBook(book, commandLine.positional(1));
    writeOut(QStringLiteral("%1 transactions copied\n").arg(copied));
    return Success;
}

} // namespace bc::cli
