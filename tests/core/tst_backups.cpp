// Copies of books: the rotation of the automatic backups over a year, books
// of one name keeping their copies apart, a backup restored over a changed
// book, through a link and with the book's permissions, a damaged book whose
// copy is refused, and backups, restores, copies and migrations killed
// half-way.
#include "autobackup.h"
#include "backuprotation.h"
#include "bookbackup.h"
#include "bookcopy.h"
#include "bookdigest.h"
#include "bookfaults.h"
#include "bookrestore.h"
#include "dberror.h"
#include "fullercopies.h"
#include "soak.h"
#include "sql.h"
#include "statementimport.h"
#include "testbook.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace bc;
using bc::test::TestBook;
using bc::test::bookDigest;
using bc::test::fileBytes;

namespace {

const QString BookPath = QStringLiteral("/data/Household.fd");

QString closeOn(const QDate &day, int hour = 18)
{
    return stampedCopyName(BookPath, QDateTime(day, QTime(hour, 0)));
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".brindlecot-copy-*")}, QDir::Files | QDir::Hidden);
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

void fillBook(TestBook &book, int transactions)
{
    book.addAccount(7, QStringLiteral("Bank"), 1, Money::fromCents(100000));
    book.addAccount(8, QStringLiteral("Rent"), 5, Money());
    for (int i = 0; i < transactions; ++i)
        book.addTransaction(i + 1, QDate(2025, 1, 1).addDays(i % 365), 7, 8, Money::fromCents(1000 + i),
                            QStringLiteral("rent %1").arg(i));
}

QString digestOf(const QString &path)
{
    Book book;
    OpenOptions readOnly;
    readOnly.readOnly = true;
    if (!book.open(path, readOnly).ok())
        return QStringLiteral("<cannot open>");
    return bookDigest(connectionOf(book));
}

} // namespace

TEST(Backups, AYearOfDailyClosesKeepsSevenDaysFourWeeksAndTwelveMonths)
{
    // A close every evening of 2025, a second one at noon on Sundays, and
    // other files in the folder: another book's copy and the user's own.
    const QString otherBook = QStringLiteral("Household-old-20250105-180000.fd");
    QStringList folder = {otherBook, QStringLiteral("notes.txt"), QStringLiteral("Household.fd")};
    for (QDate day(2025, 1, 1); day.year() == 2025; day = day.addDays(1)) {
        for (int hour : day.dayOfWeek() == 7 ? QList<int>{12, 18} : QList<int>{18}) {
            const QDateTime now(day, QTime(hour, 0, 5));
            folder << closeOn(day, hour);
            const QStringList doomed = copiesToDelete(BookPath, folder, now);
            for (const QString &name : doomed) {
                ASSERT_TRUE(stampOfCopy(BookPath, name).has_value()) << name.toStdString();
                ASSERT_NE(name, closeOn(day, hour)) << "the copy just made is kept";
                folder.removeOne(name);
            }
            ASSERT_LE(folder.size(), 3 + 7 + 4 + 12);
        }
    }
    // On 31 December (a Wednesday, in ISO week 1 of 2026): the last seven
    // evenings, the last copies of ISO weeks 52, 51 and 50 (Sundays), the
    // last evening of each earlier month; the Sunday noon copies are gone.
    QStringList expected = {otherBook, QStringLiteral("notes.txt"), QStringLiteral("Household.fd")};
    for (int d = 25; d <= 31; ++d)
        expected << closeOn(QDate(2025, 12, d));
    expected << closeOn(QDate(2025, 12, 21)) << closeOn(QDate(2025, 12, 14));
    for (int m = 1; m <= 11; ++m)
        expected << closeOn(QDate(2025, m, 1).addMonths(1).addDays(-1));
    EXPECT_EQ(sorted(folder), sorted(expected));

    // After three months away the next close keeps the latest copies rather
    // than only those of the last seven calendar days; a copy stamped after
    // now (the clock was put back) is kept.
    const QString future = closeOn(QDate(2027, 1, 1));
    folder << closeOn(QDate(2026, 4, 1)) << future;
    const QStringList doomed = copiesToDelete(BookPath, folder, QDateTime(QDate(2026, 4, 1), QTime(19, 0)));
    for (const QString &kept : {closeOn(QDate(2025, 12, 26)), closeOn(QDate(2025, 12, 31)), future})
        EXPECT_FALSE(doomed.contains(kept)) << kept.toStdString();
    EXPECT_TRUE(doomed.contains(closeOn(QDate(2025, 12, 25))));
}

TEST(Backups, BooksOfOneNameInDifferentFoldersKeepTheirCopiesApart)
{
    // Two books both named test.fd, a copy named by the file name alone as
    // earlier versions named them, and a link to the first book.
    TestBook full;
    fillBook(full, 200);
    TestBook empty;
    const QString digestFull = bookDigest(full.db()), digestEmpty = bookDigest(empty.db());
    QTemporaryDir backups;
    const QString folder = backups.path();
    const QString old = folder + QStringLiteral("/test-20260301-180000.fd");
    ASSERT_TRUE(QFile::copy(full.path(), old));
    const QString link = empty.dir() + QStringLiteral("/link.fd");
    ASSERT_TRUE(QFile::link(full.path(), link));
    EXPECT_EQ(bookCopyPrefix(link), bookCopyPrefix(full.path()));
    EXPECT_NE(bookCopyPrefix(empty.path()), bookCopyPrefix(full.path()));

    // Each backs up every evening of a fortnight, the empty book a second
    // after the full one: the copies of one never thin the other's, and the
    // old copy, which cannot be told apart, is never deleted.
    for (QDate day(2026, 3, 2); day < QDate(2026, 3, 16); day = day.addDays(1)) {
        const QDateTime evening(day, QTime(18, 0));
        const QString fullCopy = backUpBook(full.book(), folder, evening);
        const QString emptyCopy = backUpBook(empty.book(), folder, evening.addSecs(1));
        ASSERT_TRUE(QFile::exists(fullCopy)) << day.toString().toStdString();
        ASSERT_TRUE(QFile::exists(emptyCopy));
    }
    const QStringList fullCopies = QDir(folder).entryList({bookCopyPrefix(full.path()) + QStringLiteral("-*.fd")});
    const QStringList emptyCopies = QDir(folder).entryList({bookCopyPrefix(empty.path()) + QStringLiteral("-*.fd")});
    EXPECT_EQ(fullCopies.size(), 7 + 1); // the last seven days and the Sunday of the week before
    EXPECT_EQ(emptyCopies.size(), fullCopies.size());
    for (const QString &name : fullCopies)
        EXPECT_EQ(digestOf(folder + u'/' + name), digestFull) << name.toStdString();
    for (const QString &name : emptyCopies)
        EXPECT_EQ(digestOf(folder + u'/' + name), digestEmpty) << name.toStdString();
    EXPECT_TRUE(QFile::exists(old));
}

TEST(Backups, ABackupRestoredOverAChangedBookGivesItBackRowForRow)
{
    TestBook book;
    fillBook(book, 40);
    const QString before = bookDigest(book.db());
    const QString folder = book.dir() + QStringLiteral("/backups");
    const QDateTime now(QDate(2026, 3, 2), QTime(9, 15, 7));
    const QString prefix = bookCopyPrefix(book.path());
    EXPECT_EQ(backUpBook(book.book(), folder, now), folder + u'/' + prefix + QStringLiteral("-20260302-091507.fd"));
    // A second copy in the same second gets a name of its own and, as the
    // newest of the day, takes the place of the first.
    const QString copy = backUpBook(book.book(), folder, now);
    EXPECT_EQ(copy, folder + u'/' + prefix + QStringLiteral("-20260302-091507-2.fd"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{prefix + QStringLiteral("-20260302-091507-2.fd")});

    book.addTransaction(500, QDate(2025, 6, 1), 8, 7, Money::fromCents(99));
    runSql(book.db(), QStringLiteral("DELETE FROM transaction_master WHERE tran_id < 10"));
    const QString changed = bookDigest(book.db());
    ASSERT_NE(changed, before);

    // While another program holds the book, the restore is refused and the
    // book left as it is.
    book.book().close();
    const QByteArray changedBytes = fileBytes(book.path());
    {
        test::BookLock lock(book.path());
        ASSERT_TRUE(lock.held());
        try {
            restoreBook(copy, book.path(), now, 50);
            ADD_FAILURE() << "a restore over a book in use";
        } catch (const DbError &e) {
            EXPECT_EQ(e.fault(), DbFault::Locked);
        }
    }
    EXPECT_EQ(fileBytes(book.path()), changedBytes);

    const QString replaced = restoreBook(copy, book.path(), now.addSecs(60));
    EXPECT_EQ(replaced, book.dir() + QStringLiteral("/test-replaced-20260302-091607.fd"));
    EXPECT_EQ(digestOf(book.path()), before);
    EXPECT_EQ(fileBytes(replaced), changedBytes);
    EXPECT_TRUE(integrityProblems(book.path()).isEmpty());
    // Nothing is left behind under a temporary name.
    EXPECT_EQ(QDir(book.dir()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(Backups, AnEmptiedBookNeverReplacesTheDaysFullerCopy)
{
    // The morning's copy holds 19 transactions; every one is deleted and the
    // evening's copy of the emptied book keeps the morning's under another
    // name. A later copy of the same emptied book replaces the evening's.
    TestBook book;
    fillBook(book, 19);
    const QString before = bookDigest(book.db());
    const QString folder = book.dir() + QStringLiteral("/backups");
    const QDate day(2026, 12, 8);
    const QString morning = backUpBook(book.book(), folder, QDateTime(day, QTime(9, 0)));
    runSql(book.db(), QStringLiteral("DELETE FROM transaction_master"));
    const QString evening = backUpBook(book.book(), folder, QDateTime(day, QTime(18, 0)));
    const QString kept = fullerCopyName(QFileInfo(morning).fileName());
    EXPECT_EQ(sorted(QDir(folder).entryList(QDir::Files)), sorted({QFileInfo(evening).fileName(), kept}));
    EXPECT_EQ(digestOf(QDir(folder).filePath(kept)), before);
    EXPECT_FALSE(QFile::exists(morning));

    const QString night = backUpBook(book.book(), folder, QDateTime(day, QTime(22, 0)));
    EXPECT_EQ(sorted(QDir(folder).entryList(QDir::Files)), sorted({QFileInfo(night).fileName(), kept}));
}

TEST(Backups, ARestoreThroughALinkReplacesTheBookItPointsToWithItsPermissions)
{
    TestBook book;
    fillBook(book, 30);
    const QString backupDigest = bookDigest(book.db());
    const QString copy = copyBookTo(book.book(), book.dir() + QStringLiteral("/copy.fd"));
    book.addTransaction(900, QDate(2026, 1, 5), 8, 7, Money::fromCents(12));

    // The book is shared with its group, and opened through a link that
    // lives in another folder.
    ASSERT_EQ(::chmod(QFile::encodeName(book.path()).constData(), 0664), 0);
    QTemporaryDir elsewhere;
    const QString link = elsewhere.path() + QStringLiteral("/shared.fd");
    ASSERT_TRUE(QFile::link(book.path(), link));
    Book open;
    ASSERT_TRUE(open.open(link).ok());

    const QString replaced = restoreBook(copy, link, QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), book.path());
    EXPECT_EQ(digestOf(book.path()), backupDigest);
    EXPECT_EQ(QFileInfo(replaced).absolutePath(), book.dir());
    struct stat restored = {};
    ASSERT_EQ(::stat(QFile::encodeName(book.path()).constData(), &restored), 0);
    EXPECT_EQ(restored.st_mode & 07777, 0664u);
    EXPECT_EQ(restored.st_uid, ::getuid());
    EXPECT_TRUE(leftovers(book.dir()).isEmpty());

    // The program that had the book open is told, once, that its book was
    // replaced, and its import writes nothing.
    Statement statement;
    StatementLine line;
    line.date = QDate(2026, 2, 1);
    line.amount = Money::fromCents(-500);
    line.payee = QStringLiteral("Corner shop");
    statement.lines = {line};
    const ImportResult result = applyImport(open, previewImport(open, statement, 7, 8), QDateTime::currentDateTime());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.text.count(QStringLiteral("replaced")), 1) << result.text.toStdString();
    EXPECT_FALSE(result.text.contains(QStringLiteral("read-only"))) << result.text.toStdString();
    EXPECT_EQ(digestOf(book.path()), backupDigest);
}

TEST(Backups, ADamagedBookIsReportedAndNoCopyOfItKept)
{
    TestBook book;
    fillBook(book, 60);
    book.book().close();
    {
        // An index whose entries no longer match its definition, as a fault of
        // the disk or of another program would leave it.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(book.path());
        ASSERT_TRUE(db.open());
        runSql(db, QStringLiteral("CREATE INDEX damage ON transaction_master(particulars)"));
        runSql(db, QStringLiteral("PRAGMA writable_schema = ON"));
        runSql(db,
               QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE INDEX damage ON transaction_master(amount)' "
                              "WHERE name = 'damage'"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    ASSERT_FALSE(integrityProblems(book.path()).isEmpty());

    const QString folder = book.dir() + QStringLiteral("/backups");
    try {
        backUpBookFile(book.path(), folder, QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
        ADD_FAILURE() << "a damaged book was copied";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.description().contains(QLatin1String("integrity check"))) << e.description().toStdString();
    }
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A child that backs up or restores in a loop is killed at random moments,
// fifty times each (a hundred in the soak run): the book always passes
// integrity_check and is one of the two books it can be, and every copy
// under a book name is complete.
TEST(Backups, KilledBackupsAndRestoresLeaveWholeBooks)
{
    TestBook a;
    fillBook(a, 300);
    TestBook b;
    fillBook(b, 120);
    const QString digestA = bookDigest(a.db()), digestB = bookDigest(b.db());
    a.book().close();
    b.book().close();
    const QString target = a.dir() + QStringLiteral("/target.fd");
    ASSERT_TRUE(QFile::copy(a.path(), target));
    const QString folder = a.dir() + QStringLiteral("/backups");
    QRandomGenerator random(17);
    const QStringList modes = {QStringLiteral("backup"), QStringLiteral("restore")};
    const int rounds = test::soakRun() ? 100 : 50;
    for (const QString &mode : modes) {
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            QStringList arguments{mode, a.path()};
            if (mode == QLatin1String("backup"))
                arguments << folder << QString::number(round);
            else
                arguments << b.path() << target;
            child.start(QStringLiteral(BRINDLECOT_BACKUPCHILD), arguments);
            ASSERT_TRUE(child.waitForStarted(10000));
            ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
            QThread::usleep(random.bounded(40000u));
            ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
            child.kill();
            ASSERT_TRUE(child.waitForFinished(10000));

            if (mode == QLatin1String("restore")) {
                ASSERT_TRUE(integrityProblems(target).isEmpty()) << "round " << round;
                const QString digest = digestOf(target);
                ASSERT_TRUE(digest == digestA || digest == digestB) << "round " << round;
            }
        }
    }
    // The temporary files the killed copies left are removed by the next
    // backup into the folder and the next restore beside the book.
    {
        Book book;
        ASSERT_TRUE(book.open(a.path(), OpenOptions{.readOnly = true}).ok());
        backUpBook(book, folder, QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    }
    restoreBook(a.path(), target, QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    EXPECT_TRUE(leftovers(folder).isEmpty());
    EXPECT_TRUE(leftovers(a.dir()).isEmpty());
    const QStringList copies = QDir(folder).entryList({bookCopyPrefix(a.path()) + QStringLiteral("-*.fd")},
                                                      QDir::Files);
    ASSERT_FALSE(copies.isEmpty());
    for (const QString &name : copies) {
        ASSERT_TRUE(integrityProblems(folder + u'/' + name).isEmpty()) << name.toStdString();
        ASSERT_EQ(digestOf(folder + u'/' + name), digestA) << name.toStdString();
    }
    EXPECT_EQ(digestOf(a.path()), digestA);
}

// A child that copies a book of a thousand transactions to a new book file,
// again and again, is killed at random moments of a copy: the new
// book's name is either free or holds the whole book, and the next copy to
// that name removes the hidden folder a killed one was building in.
TEST(Backups, KilledCopiesLeaveNoBookOrTheWholeBook)
{
    TestBook source;
    runSql(source.db(), QStringLiteral("BEGIN"));
    fillBook(source, 1000);
    runSql(source.db(), QStringLiteral("COMMIT"));
    const QString digest = bookDigest(source.db());
    QTemporaryDir folder;
    const QString destination = folder.filePath(QStringLiteral("copy.fd"));
    // The kills are spread over one whole copy, however fast this machine copies.
    QElapsedTimer timer;
    timer.start();
    copyBook(source.book(), destination);
    const quint32 copyMicros = quint32(timer.nsecsElapsed() / 1000);
    ASSERT_TRUE(QFile::remove(destination));
    source.book().close();

    QRandomGenerator random(41);
    int killedMidway = 0;
    for (int round = 0; round < 30; ++round) {
        QProcess child;
        child.start(QStringLiteral(BRINDLECOT_BACKUPCHILD), {QStringLiteral("copy"), source.path(), destination});
        ASSERT_TRUE(child.waitForStarted(10000));
        ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
        QThread::usleep(random.bounded(copyMicros * 5 / 4));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        killedMidway += !QDir(folder.path())
                             .entryList({QStringLiteral(".copy.fd.brindlecot-copy-*")}, QDir::Dirs | QDir::Hidden)
                             .isEmpty();
        if (QFileInfo::exists(destination)) {
            ASSERT_EQ(digestOf(destination).toStdString(), digest.toStdString()) << "round " << round;
            ASSERT_TRUE(QFile::remove(destination));
        }
    }
    EXPECT_GT(killedMidway, 0);
    Book book;
    ASSERT_TRUE(book.open(source.path(), OpenOptions{.readOnly = true}).ok());
    EXPECT_EQ(copyBook(book, destination), 1000);
    EXPECT_EQ(digestOf(destination).toStdString(), digest.toStdString());
    EXPECT_EQ(
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u' ').toStdString(),
        "copy.fd");
}

// A child that brings a book of format 1 to the current format is killed at
// random moments: the copy it keeps beside the book never has its name before
// it is whole, and the next migration removes what a killed one left.
TEST(Backups, KilledMigrationsLeaveNoPartialCopyOfTheBook)
{
    QTemporaryDir dir;
    const QString pristine = dir.filePath(QStringLiteral("pristine.v1"));
    test::createFormat1Book(pristine);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(pristine);
        ASSERT_TRUE(db.open());
        runSql(db, QStringLiteral("BEGIN"));
        runSql(db,
               QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type) "
                              "VALUES (107, 'Bank', 1), (108, 'Rent', 5)"));
        for (int id = 1; id <= 4000; ++id)
            runSql(db,
                   QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                                  "to_flag, amount, particulars) VALUES (?, '2025-01-02', 107, 'A', 108, 'A', ?, ?)"),
                   {id, 100 + id, QStringLiteral("rent %1 ").arg(id).repeated(8)});
        runSql(db, QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    const QString book = dir.filePath(QStringLiteral("book.fd"));
    QRandomGenerator random(29);
    for (int round = 0; round < 40; ++round) {
        QFile::remove(book);
        ASSERT_TRUE(QFile::copy(pristine, book));
        QProcess child;
        child.start(QStringLiteral(BRINDLECOT_BACKUPCHILD), {QStringLiteral("migrate"), book});
        ASSERT_TRUE(child.waitForStarted(10000));
        ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
        QThread::usleep(random.bounded(150000u));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(10000));
        for (const QString &name : QDir(dir.path()).entryList({QStringLiteral("book.fd.v1*.bak")}, QDir::Files)) {
            const QString copy = dir.filePath(name);
            ASSERT_NE(digestOf(copy), QStringLiteral("<cannot open>"))
                << "round " << round << ": " << name.toStdString();
            QFile::remove(copy);
        }
    }
    Book migrated;
    ASSERT_TRUE(migrated.open(book).ok());
    EXPECT_TRUE(leftovers(dir.path()).isEmpty());
}
