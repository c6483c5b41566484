#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace bc::test {

// The permanent tables whose contents a save may change.
const QStringList &permanentTables();

// A digest of a table's contents, independent of row order and of how the
// rows sit in the file: equal digests mean equal rows.
QString tableDigest(const QSqlDatabase &db, const QString &table);

// The digests of every permanent table, separated by blanks.
QString bookDigest(const QSqlDatabase &db);

// A digest of the change history: every change set but its time (two books
// given the same changes at different moments agree), its kept rows and its
// ranges.
QString historyDigest(const QSqlDatabase &db);

} // namespace bc::test
