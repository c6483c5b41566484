#pragma once

#include "book.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace bc {

// The book's settings: one row of system_settings per code.

struct SettingRow {
    QString code;
    QString value; // blank for none
    qint64 version = 0; // 0 for a book without row versions
};

// The rows as the table holds them, in its order.
QList<SettingRow> readSettingRows(const Book &book);

// The version of each code's row (a later row of a code counts); empty for
// a book without row versions.
QHash<QString, qint64> readSettingVersions(const Book &book);

// Removes every row.
void deleteSettingRows(const Book &book);

// The ids the book gave a run of rows it added, first to last.
struct AddedRows {
    qint64 first = 0;
    qint64 last = 0;
};

// Adds the rows (their versions too in a book with row versions), each
// stamped as saved on savedOn; returns the ids of the rows the table holds
// afterwards.
AddedRows insertSettingRows(const Book &book, const QList<SettingRow> &rows, const QDate &savedOn);

} // namespace bc
