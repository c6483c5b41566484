#include "systemsettings.h"

#include "booktransaction.h"
#include "closedperiod.h"
#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "rowversions.h"
#include "settingsstore.h"

#include <optional>

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
    // The versions are read by the same statement as the values, so they are
    // those of the values read.
    const bool versioned = hasRowVersions(book);
    settings.versions.clear();
    // The year dates are read once the date format is known, since older
    // books hold them in its order.
    std::optional<QString> startText, endText;
    for (const auto &[code, value, version] : readSettingRows(book)) {
        if (versioned)
            settings.versions.insert(code, version);
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
        else if (code == closedThroughCode)
            settings.closedThrough = fromIsoDate(value.trimmed());
    }
    if (startText)
        settings.finYearStart = readYearDate(*startText, settings.dateFormat);
    if (endText)
        settings.finYearEnd = readYearDate(*endText, settings.dateFormat);
}

SystemSettingsInput inputOf(const SystemSettings &settings)
{
    return {settings.userName,   settings.password,     settings.finYearStart,
            settings.finYearEnd, settings.currency,     isMonthFirst(settings.dateFormat),
            settings.versions,   settings.closedThrough};
}

SettingsSaveResult saveSystemSettings(Book &book, const SystemSettingsInput &input, const QDate &today,
                                      const QString &source, const QString &summary)
{
    BookTransaction transaction(book);
    const QHash<QString, qint64> current = readSettingVersions(book);
    SettingsSaveResult result;
    result.changedByOthers = staleSettings(book, input.loadedVersions, current);
    if (!result.ok()) {
        result.title = staleRowsTitle();
        result.text = staleRowsText(result.changedByOthers, today);
        return result;
    }
    const auto row = [&](const QString &code, const QString &value) {
        return SettingRow{code, value, current.value(code) + 1};
    };
    ChangeRecorder history(book, source);
    if (!summary.isEmpty())
        history.setSummary(summary);
    history.keepAllBefore(HistoryTable::Settings);
    deleteSettingRows(book);
    QList<SettingRow> rows{row(QStringLiteral("USER"), input.userName.trimmed()),
                           row(QStringLiteral("PASS"), input.password.trimmed()),
                           row(QStringLiteral("FYST"), isoDate(input.finYearStart)),
                           row(QStringLiteral("FYEN"), isoDate(input.finYearEnd)),
                           row(QStringLiteral("CURR"), input.currency.trimmed()),
                           row(QStringLiteral("DTFM"),
                               QString::fromLatin1(input.monthFirst ? MonthFirstFormat : DayFirstFormat))};
    // An open book has no closing date at all.
    if (input.closedThrough.isValid())
        rows << row(closedThroughCode, isoDate(input.closedThrough));
    const AddedRows added = insertSettingRows(book, rows, today);
    history.added(HistoryTable::Settings, added.first, added.last);
    history.finish();
    transaction.commit();
    return result;
}

} // namespace bc
