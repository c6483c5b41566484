#include "systemsettings.h"

#include "dates.h"
#include "sql.h"
#include "textroutines.h"

namespace bc {

QDate SystemSettings::finYearStartDate() const
{
    return parseShortDate(finYearStart);
}

void LoadSystemSettings(const QSqlDatabase &db, SystemSettings &settings, const QDate &today)
{
    QSqlQuery rows = runSql(db, QStringLiteral("SELECT sys_code, sys_value FROM system_settings"));
    while (rows.next()) {
        const QString code = rows.value(0).toString();
        const QString value = NullToText(rows.value(1));
        if (code == QLatin1String("USER"))
            settings.userName = value;
        else if (code == QLatin1String("PASS"))
            settings.password = value;
        else if (code == QLatin1String("FYST"))
            settings.finYearStart = value;
        else if (code == QLatin1String("FYEN"))
            settings.finYearEnd = value;
        else if (code == QLatin1String("CURR"))
            settings.currency = value;
        else if (code == QLatin1String("DTFM"))
            settings.dateFormat = value;
    }
    if (NullToText(settings.finYearStart).isEmpty())
        settings.finYearStart = shortDateText(today);
    if (NullToText(settings.finYearEnd).isEmpty())
        settings.finYearEnd = shortDateText(today);
}

void saveSystemSettings(const QSqlDatabase &db, const SystemSettingsInput &input, const QDate &today)
{
    const QString saveDate = today.toString(QStringLiteral("MM/dd/yyyy"));
    const QString insert = QStringLiteral("INSERT INTO system_settings VALUES (?, ?, ?)");
    TransactionGuard transaction(db);
    runSql(db, QStringLiteral("DELETE FROM system_settings"));
    runSql(db, insert, {QStringLiteral("USER"), input.userName.trimmed(), saveDate});
    runSql(db, insert, {QStringLiteral("PASS"), input.password.trimmed(), saveDate});
    runSql(db, insert, {QStringLiteral("FYST"), shortDateText(input.finYearStart), saveDate});
    runSql(db, insert, {QStringLiteral("FYEN"), shortDateText(input.finYearEnd), saveDate});
    runSql(db, insert, {QStringLiteral("CURR"), input.currency.trimmed(), saveDate});
    runSql(db, insert, {QStringLiteral("DTFM"),
                        QString::fromLatin1(input.monthFirst ? MonthFirstFormat : DayFirstFormat), saveDate});
    transaction.commit();
}

} // namespace bc
