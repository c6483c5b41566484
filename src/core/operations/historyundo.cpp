#include "historyundo.h"

#include "history.h"
#include "historychecks.h"
#include "historyrows.h"
#include "historyversions.h"
#include "idmarks.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

// The later change sets that touched a row change set `id` touched: by
// keeping it, or by a range of added ids, on either side.
QList<qint64> laterTouches(const QSqlDatabase &db, qint64 id)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT c.set_id FROM change_rows AS n JOIN change_rows AS c "
                             "ON c.tbl = n.tbl AND c.row_id = n.row_id AND c.set_id > n.set_id WHERE n.set_id = ? "
                             "UNION SELECT c.set_id FROM change_ranges AS r JOIN change_rows AS c "
                             "ON c.tbl = r.tbl AND c.row_id BETWEEN r.first_id AND r.last_id AND c.set_id > r.set_id "
                             "WHERE r.set_id = ? "
                             "UNION SELECT l.set_id FROM change_rows AS n JOIN change_ranges AS l "
                             "ON l.tbl = n.tbl AND n.row_id BETWEEN l.first_id AND l.last_id AND l.set_id > n.set_id "
                             "WHERE n.set_id = ? "
                             "UNION SELECT l.set_id FROM change_ranges AS r JOIN change_ranges AS l "
                             "ON l.tbl = r.tbl AND l.first_id <= r.last_id AND l.last_id >= r.first_id "
                             "AND l.set_id > r.set_id WHERE r.set_id = ? ORDER BY 1 DESC"),
                         {id, id, id, id});
    QList<qint64> sets;
    while (q.next())
        sets << q.value(0).toLongLong();
    return sets;
}

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
    for (const qint64 later : laterTouches(connectionOf(book), undone.id)) {
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

// Takes away every row the set touched as it is now, the rows it added
// included, keeping each in the undo's own set first.
void takeAwayRows(const QSqlDatabase &db, qint64 undone, qint64 undo, HistoryTable table)
{
    const HistoryShape &shape = shapeOf(table);
    keepRowsBefore(db, undo, table, QStringLiteral("SELECT row_id AS id FROM change_rows WHERE set_id = ? AND tbl = ?"),
                   {undone, shape.word});
    runSql(db,
           QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT row_id FROM change_rows WHERE set_id = ? AND tbl = ?)")
               .arg(shape.table, shape.key),
           {undone, shape.word});
    // The ranges are read in full first: a server streams a result, and
    // the statements below would cut it short.
    QList<QVariantList> ranges;
    QSqlQuery q = runSql(db, QStringLiteral("SELECT first_id, last_id FROM change_ranges WHERE set_id = ? AND tbl = ?"),
                         {undone, shape.word});
    while (q.next())
        ranges.append({q.value(0), q.value(1)});
    for (const QVariantList &range : ranges) {
        keepRowsBefore(db, undo, table,
                       QStringLiteral("SELECT %1 AS id FROM %2 WHERE %1 BETWEEN ? AND ?").arg(shape.key, shape.table),
                       range);
        runSql(db, QStringLiteral("DELETE FROM %1 WHERE %2 BETWEEN ? AND ?").arg(shape.table, shape.key), range);
    }
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
    const QSqlDatabase db = connectionOf(book);
    try {
        // The write lock comes first: what is checked below then stays true
        // until the undo commits, whoever saves or undoes meanwhile.
        TransactionGuard transaction(db);
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
        if (const QString row = rowChangedOutsideHistory(db, id); !row.isEmpty())
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
            takeAwayRows(db, id, undo, table);
        for (const HistoryTable table : historyTables())
            insertKeptRows(db, id, table);
        if (const QString problem = accountsProblem(db, undo); !problem.isEmpty())
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
