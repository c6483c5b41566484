#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace bc {

// The settings kept in the book's system_settings table.
struct SystemSettings {
    QString userName;
    QString password;
    QString finYearStart; // short-date text
    QString finYearEnd;   // short-date text
    QString currency;
    QString dateFormat;   // "M/d/yyyy" or "d/M/yyyy"

    bool needsLogin() const { return !userName.isEmpty() || !password.isEmpty(); }
    QDate finYearStartDate() const;
};

// Reads system_settings into settings. Codes match exactly (case matters);
// a later row overwrites an earlier one; a missing code keeps its old value;
// a blank financial-year date becomes today. Throws DbError on failure.
void LoadSystemSettings(const QSqlDatabase &db, SystemSettings &settings, const QDate &today);

// What the configuration window saves.
struct SystemSettingsInput {
    QString userName;
    QString password;
    QDate finYearStart;
    QDate finYearEnd;
    QString currency;
    bool monthFirst = false;
};

// Rewrites the six rows in one transaction, values trimmed, each row stamped
// with the save date as "MM/dd/yyyy". Throws DbError and leaves the old rows
// in place on failure.
void saveSystemSettings(const QSqlDatabase &db, const SystemSettingsInput &input, const QDate &today);

} // namespace bc
