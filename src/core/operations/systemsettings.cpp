#include "systemsettings.h"

#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "rowversions.h"
#include "sql.h"
#include "textroutines.h"

namespace bc {

namespace {

// The version of each code's row; a later row of a code counts, as it does
// for the value.
QHash<QString, qint64> settingVersions(const Book &book)
{
    QHash<QString, qint64> versions;
    if (!hasRowVersions(book))
        return versions;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT sys_code, row_version FROM system_settings"));
    while (q.next())
        versions.insert(q.value(0).toString(), q.value(1).toLongLong());
    return versions;
}

} // namespace

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
    // The versions are read by the same statement as the values, so they are
    // those of the values read.
    const bool versioned = hasRowVersions(book);
    QSqlQuery rows = runSql(db,
                            QStringLiteral("SELECT sys_code, sys_value, %1 FROM system_settings")
                                .arg(versioned ? QStringLiteral("row_version") : QStringLiteral("0")));
    settings.versions.clear();
    // The year dates are read once the date format is known, since older
    // books hold them in its order.
    std::optional<QString> startText, endText;
    while (rows.next()) {
        const QString code = rows.value(0).toString();
        const QString value = NullToText(rows.value(1));
        if (versioned)
            settings.versions.insert(code, rows.value(2).toLongLong());
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
            settings.finYearEnd, settings.currency, isMonthFirst(settings.dateFormat),
            settings.versions};
}

SettingsSaveResult saveSystemSettings(Book &book, const SystemSettingsInput &input, const QDate &today,
                                      const QString &source)
{
    const QSqlDatabase db = connectionOf(book);
    const QString saveDate = today.toString(QStringLiteral("MM/dd/yyyy"));
    const bool versioned = hasRowVersions(book);
    TransactionGuard transaction(db);
    const QHash<QString, qint64> current = settingVersions(book);
    SettingsSaveResult result;
    result.changedByOthers = staleSettings(book, input.loadedVersions, current);
    if (!result.ok()) {
        result.title = staleRowsTitle();
        result.text = staleRowsText(result.changedByOthers, today);
        return result;
    }
    const auto insert = [&](const QString &code, const QString &value) {
        if (versioned)
            runSql(db,
                   QStringLiteral("INSERT INTO system_settings (sys_code, sys_value, saved_on, row_version) "
                                  "VALUES (?, ?, ?, ?)"),
                   {code, value, saveDate, current.value(code) + 1});
        else
            runSql(db, QStringLiteral("INSERT INTO system_settings (sys_code, sys_value, saved_on) VALUES (?, ?, ?)"),
                   {code, value, saveDate});
    };
    ChangeRecorder history(book, source);
    history.keepAllBefore(HistoryTable::Settings);
    runSql(db, QStringLiteral("DELETE FROM system_settings"));
    insert(QStringLiteral("USER"), input.userName.trimmed());
    insert(QStringLiteral("PASS"), input.password.trimmed());
    insert(QStringLiteral("FYST"), isoDate(input.finYearStart));
    insert(QStringLiteral("FYEN"), isoDate(input.finYearEnd));
    insert(QStringLiteral("CURR"), input.currency.trimmed());
    insert(QStringLiteral("DTFM"), QString::fromLatin1(input.monthFirst ? MonthFirstFormat : DayFirstFormat));
    QSqlQuery added = runSql(db, QStringLiteral("SELECT min(rowid), max(rowid) FROM system_settings"));
    added.next();
    history.added(HistoryTable::Settings, added.value(0).toLongLong(), added.value(1).toLongLong());
    history.finish();
    transaction.commit();
    return result;
}

} // namespace bc
