// Kills a process in the middle of saving, hundreds of times, and checks
// after every kill that the book is intact and that each permanent table and
// the change history hold exactly the state before or after the interrupted
// save, undo or restore.
#include "book.h"
#include "bookcheck.h"
#include "bookdigest.h"
#include "soak.h"
#include "sql.h"
#include "testbook.h"
#include "transactions.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace bc;

namespace {

struct Outcome {
    int kills = 0;
    int before = 0; // the book held the state before the interrupted save
    int after = 0; // ... or the state after it
    int hotJournals = 0; // the kill left a journal that opening rolled back
    int savesDone = 0; // saves the children completed in all
};

// The last two complete states the child announced: the one the book held
// and the one the save in flight would produce.
QStringList announcedStates(const QString &sidePath, int &steps)
{
    QFile side(sidePath);
    EXPECT_TRUE(side.open(QIODevice::ReadOnly));
    QStringList states;
    steps = 0;
    for (const QByteArray &line : side.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        const int blank = text.indexOf(u' ');
        // A digest per table and the history's after the label: a shorter
        // line was cut by the kill.
        if (blank < 0 || text.mid(blank + 1).split(u' ').size() != test::permanentTables().size() + 1)
            continue;
        states << text.mid(blank + 1);
        if (!text.startsWith(QLatin1String("start")))
            ++steps;
    }
    return states.mid(qMax(0, states.size() - 2));
}

// Gives undo and restore something to take back from the first kill on:
// three saves of new transactions, then the deletion of a third of them.
void giveHistory(Book &book)
{
    for (int save = 0; save < 3; ++save) {
        RowArray rows = makeTranRows();
        for (int i = 0; i < 20; ++i) {
            const int r = rows.appendRow();
            rows.setDate(r, TranCol::Date, QDate(2025, 1, 1).addDays(save * 20 + i));
            rows.setKey(r, TranCol::From, {AccountSide::Account, 4});
            rows.setKey(r, TranCol::To, {AccountSide::Account, 5});
            rows.setMoney(r, TranCol::Amount, Money::fromCents(100 + i));
            rows.setText(r, TranCol::Particulars, QStringLiteral("history %1").arg(i));
            rows.setEditMark(r, TranCol::Status, EditMark::Changed);
        }
        ASSERT_TRUE(saveTransactions(book, rows, QDateTime(QDate(2026, 1, 15), QTime(9, 0))).ok());
    }
    QList<LoadedRow> doomed;
    for (qint64 id = 1; id <= 60; id += 3)
        doomed << id;
    ASSERT_TRUE(saveTransactions(book, makeTranRows(), QDateTime(QDate(2026, 1, 15), QTime(9, 1)), doomed).ok());
}

// importRows: the rows of each import of the kind "import", whose kept
// balances are also checked against the transactions after every kill.
void killRounds(const QString &kind, int rounds, quint32 seed, Outcome &outcome, int importRows = 0)
{
    test::TestBook book;
    if (kind == QLatin1String("undo") || kind == QLatin1String("restore"))
        giveHistory(book.book());
    book.book().close();
    const QString side = book.dir() + QStringLiteral("/side.txt");
    QRandomGenerator random(seed);
    // How long after "ready" a kill may come. A slow machine (a sanitizer
    // build under load) may not reach the save's writes within it, so it
    // grows while kills land only before them.
    // A long import takes seconds on the reference copy before the book.
    quint32 windowUs = importRows > 0 ? 300000u : 50000u;
    const quint32 longestWindowUs = importRows > 0 ? 60000000u : 2000000u;
    QStringList arguments{book.path(), side, kind};
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        child.start(QStringLiteral(BRINDLECOT_CRASHCHILD),
                    arguments + QStringList{QString::number(round)}
                        + (importRows > 0 ? QStringList{QString::number(importRows)} : QStringList{}));
        ASSERT_TRUE(child.waitForStarted(10000));
        ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
        ASSERT_EQ(child.readLine().trimmed(), QByteArray("ready"));
        QThread::usleep(random.bounded(windowUs));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        child.kill(); // SIGKILL: no handler, no clean-up
        ASSERT_TRUE(child.waitForFinished(10000));
        ++outcome.kills;

        int steps = 0;
        const QStringList states = announcedStates(side, steps);
        ASSERT_FALSE(states.isEmpty());
        outcome.savesDone += qMax(0, steps - 1);
        if (QFileInfo::exists(book.path() + QStringLiteral("-journal")))
            ++outcome.hotJournals;

        Book reopened;
        const OpenResult opened = reopened.open(book.path());
        ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
        QSqlQuery check = runSql(connectionOf(reopened), QStringLiteral("PRAGMA integrity_check"));
        ASSERT_TRUE(check.next());
        ASSERT_EQ(check.value(0).toString(), QStringLiteral("ok")) << kind.toStdString() << " round " << round;
        check.finish();
        const QString found = test::bookDigest(connectionOf(reopened)) + u' '
            + test::historyDigest(connectionOf(reopened));
        if (importRows > 0) {
            ASSERT_EQ(bookProblems(reopened), QStringList()) << kind.toStdString() << " round " << round;
        }
        reopened.close();
        if (found == states.last() && states.size() == 2)
            ++outcome.after;
        else if (found == states.first())
            ++outcome.before;
        else
            FAIL() << kind.toStdString() << " round " << round << ": the book holds " << found.toStdString()
                   << ", neither of " << states.join(QStringLiteral(" | ")).toStdString();
        // Imports: until steps complete too, so that kills reach undos and
        // redos of imports as well.
        if (outcome.after + outcome.hotJournals == 0 || (importRows > 0 && outcome.savesDone < 3))
            windowUs = qMin(windowUs * 5 / 4, longestWindowUs);
    }
}

} // namespace

TEST(CrashSafety, KilledSavesLeaveEachTableBeforeOrAfterNeverAMix)
{
    const QStringList kinds = {QStringLiteral("accounts"), QStringLiteral("transactions"), QStringLiteral("settings"),
                               QStringLiteral("undo"), QStringLiteral("restore")};
    Outcome total;
    for (int k = 0; k < kinds.size(); ++k) {
        Outcome outcome;
        // Over two hundred kills in all; the soak run makes twice as many.
        const int rounds = (k < 3 ? 35 : 50) * (test::soakRun() ? 2 : 1);
        killRounds(kinds[k], rounds, 20240 + quint32(k), outcome);
        if (HasFatalFailure())
            return;
        std::printf("%-12s kills %d: before %d, after %d, journals rolled back %d, saves completed %d\n",
                    qPrintable(kinds[k]), outcome.kills, outcome.before, outcome.after, outcome.hotJournals,
                    outcome.savesDone);
        total.kills += outcome.kills;
        // Kills must land inside saves too, not only between them.
        EXPECT_GT(outcome.hotJournals + outcome.after, 0) << kinds[k].toStdString();
    }
    EXPECT_GE(total.kills, 200);
}

// Imports written with the per-row triggers off, their undo and their redo:
// each kill leaves the book before or after, and its kept balances equal to
// the sums of its transactions. The soak run imports 200,000 rows at a time.
TEST(CrashSafety, KilledImportsAndUndoLeaveTheBookBeforeOrAfterWithSoundBalances)
{
    Outcome outcome;
    const bool soak = test::soakRun();
    killRounds(QStringLiteral("import"), soak ? 100 : 15, 20250, outcome, soak ? 200000 : 3000);
    if (HasFatalFailure())
        return;
    std::printf("import       kills %d: before %d, after %d, journals rolled back %d, steps completed %d\n",
                outcome.kills, outcome.before, outcome.after, outcome.hotJournals, outcome.savesDone);
    EXPECT_GT(outcome.hotJournals + outcome.after, 0);
}
