#pragma once

#include <QSqlDatabase>
#include <QString>

namespace bc {

// The connection's Dialect::likeIgnoringCase and orderIgnoringCase
// (dialect.h) under the names their callers knew before it.
QString likeIgnoringCase(const QSqlDatabase &db, const QString &column);
QString orderIgnoringCase(const QSqlDatabase &db, const QString &column);

} // namespace bc
