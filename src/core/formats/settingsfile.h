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

// The per-user settings file: where the book is and which printer to use.
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

    // Creates an empty file (and its folder) when there is none.
    bool createIfMissing() const;

    // Replaces the contents with the four lines DBPath, PRNPORT, PRNDRIVER
    // and PRNDEVICE, each ending in CR LF. The file must still exist. Returns
    // an empty text on success, else the reason.
    QString write(const QString &bookPath, const PrinterSettings &printer) const;

    // The lines of settings text, split at line feeds with a trailing CR
    // dropped: what lines() gives for a file holding text.
    static QList<SettingsLine> parse(const QByteArray &text);
    // The text write() stores.
    static QByteArray render(const QString &bookPath, const PrinterSettings &printer);

private:
    QString m_path;
};

} // namespace bc
