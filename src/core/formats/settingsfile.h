#pragma once

#include <QList>
#include <QString>

namespace bc {

// The printer that printed reports go to.
struct PrinterSettings {
    QString port;
    QString driver;
    QString device;
    bool operator==(const PrinterSettings &) const = default;
};

// One line of the settings file "KEY#value": the key in upper case, the value
// trimmed, with "0" counting as empty. hasSeparator is false for a line
// without "#", which readers skip.
struct SettingsLine {
    QString key;
    QString value;
    bool hasSeparator = false;
};

// The per-user settings file: where the book is, which printer to use and,
// when not the default, where the automatic backups go.
class SettingsFile {
public:
    explicit SettingsFile(QString path)
        : m_path(std::move(path))
    {
    }

    const QString &path() const { return m_path; }
    bool exists() const;
    QList<SettingsLine> lines() const; // empty when the file is missing or unreadable

    // The book path: the last DBPATH line with a value, else defaultPath.
    QString bookPath(const QString &defaultPath) const;

    // Printer values: start from the system default and let each PRNPORT,
    // PRNDRIVER and PRNDEVICE line with a value override its field.
    PrinterSettings printer(const PrinterSettings &systemDefault) const;

    // The backups folder: the last BACKUPS line with a value, else defaultFolder.
    QString backupsFolder(const QString &defaultFolder) const;

    // Sets the BACKUPS line to folder (an empty folder removes the line, for
    // the default), keeping every other line as it is; the file is made when
    // missing. A folder whose name holds "#" is refused. Returns an empty
    // text on success, else the reason.
    QString writeBackupsFolder(const QString &folder) const;

    // Creates an empty file (and its folder) when there is none.
    bool createIfMissing() const;

    // Replaces the contents with the four lines DBPath, PRNPORT, PRNDRIVER
    // and PRNDEVICE, each ending in CR LF, followed by the BACKUPS line the
    // file held. The file must still exist. Returns an empty text on
    // success, else the reason.
    QString write(const QString &bookPath, const PrinterSettings &printer) const;

    // The lines of settings text, split at line feeds with a trailing CR
    // dropped: what lines() gives for a file holding text.
    static QList<SettingsLine> parse(const QByteArray &text);
    // The text write() stores.
    static QByteArray render(const QString &bookPath, const PrinterSettings &printer,
                             const QString &backupsFolder = QString());

private:
    // The last value of the key's lines with a value; empty when none has.
    QString lastValue(const QString &key) const;
    QString replace(const QByteArray &text) const;

    QString m_path;
};

} // namespace bc
