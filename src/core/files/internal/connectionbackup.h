#pragma once

#include "autobackup.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace bc {

// backUpBook (autobackup.h) for the book at bookPath open on db, for the
// copy made while the book is being opened.
QString backUpConnection(const QSqlDatabase &db, const QString &bookPath, const QString &folder, const QDateTime &now);

} // namespace bc
