#pragma once

#include "book.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace bc {

enum class HistoryTable;

// One entry of the book's change history: a save, an import, a restore, or
// the undo of an earlier entry.
struct ChangeSet {
    qint64 id = 0;
    QDateTime madeAt;
    QString user;
    QString source; // the window or command that made it
    QString summary; // "Save of 3 transactions"
    qint64 undoes = 0; // the change set this one undid, 0 for none
    qint64 undoneBy = 0; // the change set that undid this one, 0 for none
    bool takesBack = false; // an undo (not a redo) of an earlier change
    // The summary and the time ("Save of 3 transactions at 14:02"); the date
    // as well when the change was made before `today`.
    QString title(const QDate &today = QDate::currentDate()) const;
};

// Records one change set inside a save's transaction. The save tells it of
// every row before it replaces or deletes it, and of the ids it adds; the
// recorder keeps each such row's values before the change (never the rows
// added), and writes the set when the save calls finish before committing.
// A rolled-back save leaves no trace of it.
class ChangeRecorder {
public:
    // verb begins the summary: "Save", "Import", "Restore".
    ChangeRecorder(const Book &book, const QString &source, const QString &verb = QStringLiteral("Save"));

    // Before the rows with these ids are replaced or deleted.
    void keepBefore(HistoryTable table, const QList<qint64> &ids);
    // Before every row of the table is replaced.
    void keepAllBefore(HistoryTable table);
    // The rows with the ids first..last were added; none of them existed.
    void added(HistoryTable table, qint64 first, qint64 last);

    // Writes the set when it holds any row; returns its id, else 0.
    qint64 finish();

    // For an undo: the set undone, and the summary to give in place of the
    // one counted from the rows.
    void setUndoes(qint64 undone, bool takesBack, const QString &summary);
    // The set's id, writing its entry first when it has none yet.
    qint64 id();

private:
    QString countedSummary() const;

    const Book &m_book;
    bool m_active = false; // false for a book without the history's tables
    QString m_user;
    QString m_source;
    QString m_verb;
    QString m_summary;
    qint64 m_id = 0;
    qint64 m_undoes = 0;
    bool m_takesBack = false;
};

// The change sets, newest first; limit > 0 gives only that many.
QList<ChangeSet> changeHistory(const Book &book, int limit = 0);
std::optional<ChangeSet> changeSet(const Book &book, qint64 id);

// What Undo takes back: the latest save, import, restore or redo that is not
// undone. What Redo puts back: the latest undo not itself undone, as long as
// no save came after it.
std::optional<ChangeSet> undoTarget(const Book &book);
std::optional<ChangeSet> redoTarget(const Book &book);

// An SQL condition on the book, true when the transaction whose id the
// expression idExpression gives was added by a change that now stands undone
// (its undo not itself undone); never true in a book without history.
QString addedByUndoneChange(const Book &book, const QString &idExpression);

} // namespace bc
