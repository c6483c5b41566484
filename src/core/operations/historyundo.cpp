#include "historyundo.h"

#include "booktransaction.h"
#include "dberror.h"
#include "history.h"
#include "historychecks.h"
#include "historyrows.h"
#include "historyrowstore.h"
#include "historyversions.h"
#include "idmarks.h"
#include "importcache.h"

#include <algorithm>

namespace bc {

namespace {

// The page cache of an undo, in KiB: an undo of an import writes as many
// rows as the import did. Half the import's, since the kept balances' sort
// may hold as much again.
constexpr int UndoCacheKib = 32 * 1024;

// Whether a later change `later`, not undone itself, leaves the rows as
// change `undone` left them: an undo of a change made after `undone`, or a
// redo putting back what such an undo took away. A redo of a change made
// after `undone` does not: it puts that change back.
bool cancelsLaterChange(const Book &book, const ChangeSet &later, qint64 undone)
{
    if (later.undoes <= undone)
        return false;
    if (later.takesBack)
        return true;
    const std::optional<ChangeSet> undo = changeSet(book, later.undoes);
    return undo && undo->undoes < undone;
}

// The latest later change that stands in the way of undoing `undone`: one
// not undone itself that does not leave the rows as `undone` left them.
std::optional<ChangeSet> blockingChange(const Book &book, const ChangeSet &undone)
{
    for (const qint64 later : laterTouches(book, undone.id)) {
        const std::optional<ChangeSet> set = changeSet(book, later);
        if (set && set->undoneBy == 0 && !cancelsLaterChange(book, *set, undone.id))
            return set;
    }
    return std::nullopt;
}

UndoResult refused(const QString &message)
{
    return {false, message, 0};
}

QString undoSummary(const ChangeSet &undone)
{
    // The undo of an undo puts the change back: a redo of what it undid.
    if (undone.takesBack && undone.summary.startsWith(QLatin1String("Undo of ")))
        return QStringLiteral("Redo of ") + undone.summary.mid(8);
    if (undone.summary.startsWith(QLatin1String("Redo of ")))
        return QStringLiteral("Undo of ") + undone.summary.mid(8);
    return QStringLiteral("Undo of ") + undone.summary;
}

} // namespace

UndoResult undoChange(Book &book, qint64 id, const QString &source)
{
    try {
        // The write lock comes first: what is checked below then stays true
        // until the undo commits, whoever saves or undoes meanwhile.
        ImportTransaction transaction(book, UndoCacheKib);
        const std::optional<ChangeSet> undone = changeSet(book, id);
        if (!undone)
            return refused(QStringLiteral("The history holds no change %1.").arg(id));
        if (undone->undoneBy != 0)
            return refused(QStringLiteral("Change %1 (%2) was undone already by change %3.")
                               .arg(id)
                               .arg(undone->title(), QString::number(undone->undoneBy)));
        if (const std::optional<ChangeSet> later = blockingChange(book, *undone))
            return refused(QStringLiteral("%1 cannot be undone: its rows were changed by %2 (change %3); "
                                          "undo that first.")
                               .arg(undone->title(), later->title(), QString::number(later->id)));
        if (const QString row = rowChangedOutsideHistory(book, id); !row.isEmpty())
            return refused(QStringLiteral("%1 cannot be undone: %2 was changed since by another program, "
                                          "outside the book's history.")
                               .arg(undone->title(), row));
        const qint64 highestAccount = highestIdGiven(book, IdSeries::Accounts);
        const qint64 highestTransaction = highestIdGiven(book, IdSeries::Transactions);
        ChangeRecorder recorder(book, source);
        recorder.setUndoes(id, !undone->takesBack, undoSummary(*undone));
        const qint64 undo = recorder.id();
        QList<HistoryTable> tables = historyTables();
        std::reverse(tables.begin(), tables.end());
        for (const HistoryTable table : tables)
            takeAwayRows(book, id, undo, table);
        for (const HistoryTable table : historyTables())
            putBackKeptRows(book, id, table);
        if (const QString problem = accountsProblem(book, undo); !problem.isEmpty())
            return refused(problem);
        // Ids once given stay given, even when the rows that had them go.
        rememberHighestId(book, IdSeries::Accounts, highestAccount);
        rememberHighestId(book, IdSeries::Transactions, highestTransaction);
        recorder.finish();
        transaction.commit();
        return {true, QStringLiteral("%1 was undone (change %2).").arg(undone->title()).arg(undo), undo};
    } catch (const DbError &e) {
        return refused(QStringLiteral("The change could not be undone: %1").arg(e.description()));
    }
}

} // namespace bc
