#pragma once

// Rows kept as text, a JSON array of their column values: the connection's
// Dialect pieces that make and read them (dialect.h), under the names their
// callers knew before it.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace bc {

QString jsonArrayText(const QSqlDatabase &db, const QStringList &expressions);
QString jsonArrayElement(const QSqlDatabase &db, const QString &json, int index, const QString &serverType);
QString idsOfJsonArray(const QSqlDatabase &db);

} // namespace bc
