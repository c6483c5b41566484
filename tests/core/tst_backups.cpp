// Copies of books: the rotation of the automatic backups over a year, a
// backup restored over a changed book, a damaged book whose copy is refused,
// and backups and restores killed half-way.
#include "autobackup.h"
#include "backuprotation.h"
#include "bookbackup.h"
#include "bookdigest.h"
#include "bookfaults.h"
#include "bookrestore.h"
#include "dberror.h"
#include "fullercopies.h"
#include "sql.h"
#include "testbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

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

TEST(Backups, ABackupRestoredOverAChangedBookGivesItBackRowForRow)
{
    TestBook book;
    fillBook(book, 40);
    const QString before = bookDigest(book.db());
    const QString folder = book.dir() + QStringLiteral("/backups");
    const QDateTime now(QDate(2026, 3, 2), QTime(9, 15, 7));
    EXPECT_EQ(backUpBook(book.book(), folder, now), folder + QStringLiteral("/test-20260302-091507.fd"));
    // A second copy in the same second gets a name of its own and, as the
    // newest of the day, takes the place of the first.
    const QString copy = backUpBook(book.book(), folder, now);
    EXPECT_EQ(copy, folder + QStringLiteral("/test-20260302-091507-2.fd"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("test-20260302-091507-2.fd")});

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
    const QString kept = fullerCopyName(QStringLiteral("test-20261208-090000.fd"));
    EXPECT_EQ(sorted(QDir(folder).entryList(QDir::Files)), sorted({QFileInfo(evening).fileName(), kept}));
    EXPECT_EQ(digestOf(QDir(folder).filePath(kept)), before);
    EXPECT_FALSE(QFile::exists(morning));

    const QString night = backUpBook(book.book(), folder, QDateTime(day, QTime(22, 0)));
    EXPECT_EQ(sorted(QDir(folder).entryList(QDir::Files)), sorted({QFileInfo(night).fileName(), kept}));
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

// A child that backs up or restores in a loop is killed at random moments, a
// hundred times each: the book always passes integrity_check and is one of the
// two books it can be, and every copy under a book name is complete.
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
    for (const QString &mode : modes) {
        for (int round = 0; round < 100; ++round) {
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
    const QStringList copies = QDir(folder).entryList({QStringLiteral("test-*.fd")}, QDir::Files);
    ASSERT_FALSE(copies.isEmpty());
    for (const QString &name : copies) {
        ASSERT_TRUE(integrityProblems(folder + u'/' + name).isEmpty()) << name.toStdString();
        ASSERT_EQ(digestOf(folder + u'/' + name), digestA) << name.toStdString();
    }
    EXPECT_EQ(digestOf(a.path()), digestA);
}
