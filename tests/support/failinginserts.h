#pragma once

#include <QSqlDatabase>
#include <QString>

namespace bc::test {

// Makes every insert into the table fail with the message, as a fault of the
// book's disk or server would, through a trigger of the book's engine.
void failInserts(const QSqlDatabase &db, const QString &table, const QString &message);

} // namespace bc::test
