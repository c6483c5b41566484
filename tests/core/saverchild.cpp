// Helper for tst_concurrentsaves: saves random edits of accounts and
// transactions through the core operations until its time is up.
//
//   saverchild LOCATION LOG SECONDS SEED
//
// LOCATION names the book. After each save commits, LOG gains one line per
// row it wrote: "account ID VERSION OPENING", "transaction ID VERSION AMOUNT",
// or "gone account|transaction ID VERSION" for a deletion, VERSION being the
// version the save gave the row (for a deletion, the one it would have had).
// A save refused because another process changed the rows first, or because
// the book stayed locked past the busy timeout, is counted, not logged.
// Prints "saved N refused M" at the end; exits 0 unless something else failed.
#include "accounts.h"
#include "transactionpages.h"
#include "transactions.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>

using namespace bc;

namespace {

const QDate Today(2026, 12, 7);
constexpr qint64 FirstOwnAccount = 7; // below are the built-in accounts

struct Saver {
    Book &book;
    QFile &log;
    QRandomGenerator random;
    int saved = 0;
    int refused = 0;

    void write(const QStringList &lines)
    {
        for (const QString &line : lines)
            log.write((line + u'\n').toUtf8());
        log.flush();
        ++saved;
    }
    // A person looks at the rows a moment before saving; other processes
    // save meanwhile.
    void think() { QThread::msleep(random.bounded(20)); }
    int pick(const RowArray &rows, int idColumn, qint64 lowestId)
    {
        QList<int> candidates;
        for (int r = 0; r < rows.rowCount(); ++r)
            if (rows.intAt(r, idColumn) >= lowestId)
                candidates << r;
        return candidates.isEmpty() ? -1 : candidates[random.bounded(int(candidates.size()))];
    }

    QString lastProblem{};

    // Returns false when the outcome was neither saved nor an expected refusal.
    bool accounts()
    {
        RowArray rows = findAccounts(book, QString(), QString(), QString()).rows;
        think();
        const int r = pick(rows, AccountCol::Id, FirstOwnAccount);
        const int action = r < 0 ? 1 : random.bounded(3);
        QList<LoadedRow> deleted;
        int changed = -1;
        if (action == 0) {
            changed = r;
            rows.setMoney(r, AccountCol::Opening, Money::fromCents(random.bounded(1000000)));
        } else if (action == 1) {
            changed = rows.appendRow();
            rows.setText(changed, AccountCol::Name, QStringLiteral("Account %1").arg(random.generate64()));
            rows.setInt(changed, AccountCol::Type, 4);
            rows.setMoney(changed, AccountCol::Opening, Money::fromCents(random.bounded(1000000)));
        } else {
            deleted << LoadedRow(rows.intAt(r, AccountCol::Id), rows.intAt(r, AccountCol::Version));
        }
        if (changed >= 0)
            rows.setEditMark(changed, AccountCol::Status, EditMark::Changed);
        const AccountSaveResult result = saveAccounts(book, rows, Today, deleted, QStringLiteral("saverchild"));
        using Outcome = AccountSaveResult::Outcome;
        lastProblem = result.text + u' ' + result.detail;
        if (result.outcome == Outcome::ChangedByOthers || result.outcome == Outcome::InUse
            || result.outcome == Outcome::Failed) {
            ++refused;
            return result.outcome != Outcome::Failed || isBusy(result.detail);
        }
        if (!result.ok())
            return false;
        if (changed < 0)
            write({QStringLiteral("gone account %1 %2").arg(deleted[0].id).arg(deleted[0].version + 1)});
        else
            write({QStringLiteral("account %1 %2 %3")
                       .arg(result.savedIds[0])
                       .arg(rows.intAt(changed, AccountCol::Version) + 1)
                       .arg(rows.moneyAt(changed, AccountCol::Opening).cents())});
        return true;
    }

    bool transactions()
    {
        RowArray rows = makeTranRows();
        TranPager(book, TranSearch()).fetch(rows, 200);
        think();
        const int r = pick(rows, TranCol::Id, 1);
        const int action = r < 0 ? 1 : random.bounded(3);
        QList<LoadedRow> deleted;
        int changed = -1;
        if (action == 0) {
            changed = r;
        } else if (action == 1) {
            changed = rows.appendRow();
            rows.setDate(changed, TranCol::Date, Today.addDays(-random.bounded(300)));
            rows.setText(changed, TranCol::From, QStringLiteral("A4"));
            rows.setText(changed, TranCol::To, QStringLiteral("A5"));
        } else {
            deleted << LoadedRow(rows.intAt(r, TranCol::Id), rows.intAt(r, TranCol::Version));
        }
        if (changed >= 0) {
            rows.setMoney(changed, TranCol::Amount, Money::fromCents(1 + random.bounded(1000000)));
            rows.setEditMark(changed, TranCol::Status, EditMark::Changed);
        }
        const TranSaveResult result = saveTransactions(book, rows, QDateTime(Today, QTime(9, 0)), deleted,
                                                       QStringLiteral("saverchild"));
        using Outcome = TranSaveResult::Outcome;
        lastProblem = result.text + u' ' + result.detail;
        if (result.outcome == Outcome::ChangedByOthers || result.outcome == Outcome::Failed) {
            ++refused;
            return result.outcome != Outcome::Failed || isBusy(result.detail);
        }
        if (!result.ok())
            return false;
        if (changed < 0)
            write({QStringLiteral("gone transaction %1 %2").arg(deleted[0].id).arg(deleted[0].version + 1)});
        else
            write({QStringLiteral("transaction %1 %2 %3")
                       .arg(result.savedIds[0])
                       .arg(rows.intAt(changed, TranCol::Version) + 1)
                       .arg(rows.moneyAt(changed, TranCol::Amount).cents())});
        return true;
    }

    // What a save says when the book stayed locked past the busy timeout.
    static bool isBusy(const QString &detail)
    {
        return detail.startsWith(QLatin1String("The book is in use by another program"));
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: saverchild LOCATION LOG SECONDS SEED\n");
        return 3;
    }
    Book book;
    if (const OpenResult opened = book.open(args[0]); !opened.ok()) {
        std::fprintf(stderr, "saverchild: %s\n", qPrintable(opened.description));
        return 3;
    }
    QFile log(args[1]);
    if (!log.open(QIODevice::Append)) {
        std::fprintf(stderr, "saverchild: cannot write %s\n", qPrintable(args[1]));
        return 3;
    }
    Saver saver{book, log, QRandomGenerator(args[3].toUInt())};
    const QDeadlineTimer deadline(qint64(args[2].toDouble() * 1000));
    while (!deadline.hasExpired()) {
        try {
            const bool expected = saver.random.bounded(2) == 0 ? saver.accounts() : saver.transactions();
            if (!expected) {
                std::fprintf(stderr, "saverchild: a save was refused: %s\n", qPrintable(saver.lastProblem));
                return 4;
            }
        } catch (const DbError &e) {
            // A list read while another process commits may meet the busy
            // timeout; that is a refusal like any other.
            if (e.fault() != DbFault::Locked) {
                std::fprintf(stderr, "saverchild: %s\n", qPrintable(e.description()));
                return 4;
            }
            ++saver.refused;
        }
    }
    std::printf("saved %d refused %d\n", saver.saved, saver.refused);
    return 0;
}
