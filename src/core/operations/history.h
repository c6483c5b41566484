#pragma once

#include "book.h"
#include "historystore.h"

#include <QList>
#include <QString>

namespace bc {

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
    // The summary to give in place of the one counted from the rows.
    void setSummary(const QString &summary) { m_summary = summary; }
    // Who the change is recorded under.
    const QString &user() const { return m_user; }

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

} // namespace bc
