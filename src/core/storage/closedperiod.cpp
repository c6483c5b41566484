#include "closedperiod.h"

#include "closedbook.h"
#include "dates.h"
#include "dberror.h"
#include "sql.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace bc {

namespace {

// The text reconciliation.sql's triggers raise on a book file.
const QString fileRefusal = QStringLiteral("The book is closed through its closing date: transactions on or before "
                                           "that date cannot be added, changed or deleted.");

QString latestSetting(const QSqlDatabase &db, const QString &code)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT sys_value FROM system_settings WHERE sys_code = ? "
                                        "ORDER BY rowid DESC LIMIT 1"),
                         {code});
    return q.next() ? q.value(0).toString() : QString();
}

} // namespace

QString closedBookMessage(const QDate &closedThrough, const QString &dateFormat)
{
    return QStringLiteral("The book is closed through %1: transactions on or before that date cannot be added, "
                          "changed or deleted.")
        .arg(formatReportDate(closedThrough, dateFormat));
}

bool isClosedBookRefusal(const QString &errorText)
{
    return errorText.trimmed() == fileRefusal;
}

QString serverClosedBookRefusal(const QString &errorText)
{
    static const QRegularExpression refusal(QStringLiteral(
        "The book is closed through [0-9/]+: transactions on or before that date cannot be added, changed or "
        "deleted\\."));
    return refusal.match(errorText).captured();
}

QString closedBookRefusal(const QSqlDatabase &db)
{
    try {
        const QDate day = QDate::fromString(latestSetting(db, closedThroughCode), Qt::ISODate);
        if (day.isValid())
            return closedBookMessage(day, latestSetting(db, QStringLiteral("DTFM")));
    } catch (const DbError &) {
    }
    return fileRefusal;
}

void refuseClosedRows(const QSqlDatabase &db, const QString &rows, const QVariantList &values)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT 1 FROM transaction_master AS t WHERE t.tran_date <= (SELECT "
                                        "nullif(sys_value, '') FROM system_settings WHERE sys_code = ? "
                                        "ORDER BY rowid DESC LIMIT 1) AND (%1) LIMIT 1")
                             .arg(rows),
                         QVariantList{closedThroughCode} + values);
    if (q.next())
        throw DbError(closedBookRefusal(db), DbFault::ClosedPeriod);
}

} // namespace bc
