#pragma once

#include "book.h"
#include "rowconflicts.h"

#include <QDate>
#include <QHash>
#include <QString>

namespace bc {

// The settings kept in the book's system_settings table.
struct SystemSettings {
    QString userName;
    QString password;
    QDate finYearStart; // invalid: the book has no year start
    QDate finYearEnd; // invalid: none set
    QString currency;
    QString dateFormat; // "M/d/yyyy" or "d/M/yyyy"
    // The last day of the closed period; invalid: nothing is closed.
    QDate closedThrough;
    // The version of each code's row as loaded; empty for a book without
    // versions.
    QHash<QString, qint64> versions;

    bool needsLogin() const { return !userName.isEmpty() || !password.isEmpty(); }
    // The date the From pickers start at: the year start, or 1 January of
    // today's year when the book has none.
    QDate defaultFromDate(const QDate &today) const;
};

// Reads a stored financial-year date: ISO "yyyy-MM-dd", or short-date text in
// the order of the book's date format ("1/4/2024" is 1 April in a day-first
// book), as older books hold it. Blank or unreadable text gives an invalid
// date, which means "not set".
QDate readYearDate(const QString &text, const QString &dateFormat);

// The first day whose movements count in an opening balance: the year start,
// or the earliest date when there is none, so that every earlier movement
// counts.
QDate openingCountsFrom(const QDate &finYearStart);

// Reads system_settings into settings. Codes match exactly (case matters);
// a later row overwrites an earlier one; a missing code keeps its old value.
// Throws DbError on failure.
void LoadSystemSettings(const Book &book, SystemSettings &settings);

// What the configuration window saves.
struct SystemSettingsInput {
    QString userName;
    QString password;
    QDate finYearStart; // invalid: stored blank, no year start
    QDate finYearEnd;
    QString currency;
    bool monthFirst = false;
    // The versions the settings had when loaded: the save is refused when
    // another user saved them since. Empty: not checked.
    QHash<QString, qint64> loadedVersions{};
    // The last day of the closed period; invalid: nothing is closed.
    QDate closedThrough{};
};

struct SettingsSaveResult {
    QList<StaleRow> changedByOthers; // the save was refused when not empty
    QString title;
    QString text;
    bool ok() const { return changedByOthers.isEmpty(); }
};

// The input that saves settings back unchanged.
SystemSettingsInput inputOf(const SystemSettings &settings);

// Rewrites the six rows (and the closing date when one is set) in one
// transaction, values trimmed, the year dates
// as ISO text, each row stamped with the save date as "MM/dd/yyyy". Throws
// DbError and leaves the old rows in place on failure. Refuses, writing
// nothing, when the input's loaded versions are no longer those of the book.
// The change history records the save as made by source (the window or
// command saving), under summary when it is given.
SettingsSaveResult saveSystemSettings(Book &book, const SystemSettingsInput &input, const QDate &today,
                                      const QString &source = QStringLiteral("Configurations"),
                                      const QString &summary = {});

} // namespace bc
