#pragma once

#include "apppaths.h"
#include "book.h"
#include "messages.h"
#include "settingsfile.h"
#include "settingsnotifier.h"
#include "systemsettings.h"

#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace bc {

// The program-wide values every window reads: the open book, the settings
// loaded from it and from the settings file, the printer, and the open read-me
// viewer. main creates one; tests create their own.
struct AppState {
    AppPaths paths;
    Book book; // the shared connection
    OpenOptions bookOptions; // how the start-up sequence opens it (tests shorten the wait for a lock)
    SystemSettings settings; // login, financial year, currency, date format
    PrinterSettings printer; // where printed reports go
    Messages *messages = nullptr;
    QPointer<QWidget> helpViewer;
    std::function<PrinterSettings()> defaultPrinter; // the system default printer
    std::function<QList<PrinterSettings>()> printerList; // every installed printer
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); }; // names the automatic backups
    // Set by the start-up sequence, so windows reach it without knowing it.
    std::function<void(QWidget *parent, bool modal)> showProperties; // the database and printer dialog
    std::function<bool()> reloadSystemSettings; // false when it failed (already reported)
    QString readmePath; // the user guide shown by Help > Contents
    SettingsNotifier notifier; // settings reloaded, for the windows open

    SettingsFile settingsFile() const { return SettingsFile(paths.settingsFilePath()); }
    const QString &dateFormat() const { return settings.dateFormat; }
    // Where the automatic backups go: the settings file's folder, else
    // backups/ beside it; none without a data folder.
    QString backupsFolder() const
    {
        return paths.dataDir.isEmpty() ? QString() : settingsFile().backupsFolder(paths.defaultBackupsFolder());
    }
};

} // namespace bc
