#include "systemsettings.h"

#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "sql.h"
#include "textroutines.h"

namespace bc {

QDate SystemSettings::defaultFromDate(const QDate &today) const
{
    return finYearStart.isValid() ? finYearStart : QDate(today.year(), 1, 1);
}

QDate readYearDate(const QString &text, const QString &dateFormat)
{
    const QString t = text.trimmed();
    const QDate iso = fromIsoDate(t);
    return iso.isValid() ? iso : parseUserDate(t, dateFormat);
}

QDate openingCountsFrom(const QDate &finYearStart)
{
    return finYearStart.isValid() ? finYearStart : QDate(1, 1, 1);
}

void LoadSystemSettings(const Book &book, SystemSettings &settings)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery rows = runSql(db, QStringLiteral("SELECT sys_code, sys_value FROM system_settings"));
    // The year dates are read once the date format is known, since older
    // books hold them in its order.
    std::optional<QString> startText, endText;
    while (rows.next()) {
        const QString code = rows.value(0).toString();
        const QString value = NullToText(rows.value(1));
        if (code == QLatin1String("USER"))
            settings.userName = value;
        else if (code == QLatin1String("PASS"))
            settings.password = value;
        else if (code == QLatin1String("FYST"))
            startText = value;
        else if (code == QLatin1String("FYEN"))
            endText = value;
        else if (code == QLatin1String("CURR"))
            settings.currency = value;
        else if (code == QLatin1String("DTFM"))
            settings.dateFormat = value;
    }
    if (startText)
        settings.finYearStart = readYearDate(*startText, settings.dateFormat);
    if (endText)
        settings.finYearEnd = readYearDate(*endText, settings.dateFormat);
}

SystemSettingsInput inputOf(const SystemSettings &settings)
{
    return {settings.userName,   settings.password, settings.finYearStart,
            settings.finYearEnd, settings.currency, isMonthFirst(settings.dateFormat)};
}

void saveSystemSettings(Book &book, const SystemSettingsInput &input, const QDate &today, const QString &source)
{
    const QSqlDatabase db = connectionOf(book);
    const QString saveDate = today.toString(QStringLiteral("MM/dd/yyyy"));
    const QString insert = QStringLiteral(
        "INSERT INTO system_settings (sys_code, sys_value, saved_on) VALUES (?, ?, ?)");
    TransactionGuard transaction(db);
    ChangeRecorder history(book, source);
    history.keepAllBefore(HistoryTable::Settings);
    runSql(db, QStringLiteral("DELETE FROM system_settings"));
    runSql(db, insert, {QStringLiteral("USER"), input.userName.trimmed(), saveDate});
    runSql(db, insert, {QStringLiteral("PASS"), input.password.trimmed(), saveDate});
    runSql(db, insert, {QStringLiteral("FYST"), isoDate(input.finYearStart), saveDate});
    runSql(db, insert, {QStringLiteral("FYEN"), isoDate(input.finYearEnd), saveDate});
    runSql(db, insert, {QStringLiteral("CURR"), input.currency.trimmed(), saveDate});
    runSql(db, insert,
           {QStringLiteral("DTFM"), QString::fromLatin1(input.monthFirst ? MonthFirstFormat : DayFirstFormat),
            saveDate});
    QSqlQuery added = runSql(db, QStringLiteral("SELECT min(rowid), max(rowid) FROM system_settings"));
    added.next();
    history.added(HistoryTable::Settings, added.value(0).toLongLong(), added.value(1).toLongLong());
    history.finish();
    transaction.commit();
}

} // namespace bc
