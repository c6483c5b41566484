#pragma once

#include <QString>

namespace bc {

// Where the program keeps its per-user files: the settings file and the
// default book live in the user's data folder, never beside the executable,
// so reinstalling or rebuilding the program cannot touch a user's books.
struct AppPaths {
    QString dataDir;

    QString settingsFilePath() const { return dataDir + QStringLiteral("/Brindlecot.ini"); }
    QString defaultBookPath() const { return dataDir + QStringLiteral("/Brindlecot.fd"); }
    // Where automatic backups go unless the settings file names a folder.
    QString defaultBackupsFolder() const { return dataDir + QStringLiteral("/backups"); }

    // The standard per-user data folder of the program, the same for the
    // windows and the command-line tool.
    static AppPaths standard();

    // On a first start (no settings file and no default book) creates the
    // default book from the schema so a new user reaches the main window.
    // Returns an empty text when nothing was needed or creation succeeded.
    QString createDefaultBookOnFirstStart() const;
};

} // namespace bc
