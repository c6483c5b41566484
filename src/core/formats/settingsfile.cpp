#include "settingsfile.h"

#include "textroutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace bc {

bool SettingsFile::exists() const
{
    return QFileInfo(m_path).isFile();
}

QList<SettingsLine> SettingsFile::lines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

QList<SettingsLine> SettingsFile::parse(const QByteArray &text)
{
    QList<SettingsLine> result;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        QString line = QString::fromUtf8(text.constData() + start, end - start);
        start = next;
        while (line.endsWith(u'\r'))
            line.chop(1);
        const QStringList pieces = line.split(u'#');
        SettingsLine entry;
        entry.key = pieces[0].toUpper();
        entry.hasSeparator = pieces.size() > 1;
        if (entry.hasSeparator)
            entry.value = NullToText(pieces[1]);
        result << entry;
    }
    return result;
}

QString SettingsFile::lastValue(const QString &key) const
{
    QString value;
    for (const SettingsLine &line : lines())
        if (line.hasSeparator && line.key == key && !line.value.isEmpty())
            value = line.value;
    return value;
}

QString SettingsFile::bookPath(const QString &defaultPath) const
{
    const QString path = lastValue(QStringLiteral("DBPATH"));
    return path.isEmpty() ? defaultPath : path;
}

QString SettingsFile::backupsFolder(const QString &defaultFolder) const
{
    const QString folder = lastValue(QStringLiteral("BACKUPS"));
    return folder.isEmpty() ? defaultFolder : folder;
}

QString SettingsFile::writeBackupsFolder(const QString &folder) const
{
    // A value ends at the first "#", so such a folder would be read back as another one.
    if (folder.contains(u'#'))
        return QStringLiteral("The folder \"%1\" cannot be kept in the settings file: its name holds \"#\".")
            .arg(folder);
    if (!createIfMissing())
        return QStringLiteral("The settings file \"%1\" cannot be created.").arg(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QByteArray text;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty() || parse(line).value(0).key == QLatin1String("BACKUPS"))
            continue;
        text += line.endsWith('\r') ? line + '\n' : line + "\r\n";
    }
    if (!folder.trimmed().isEmpty())
        text += (QStringLiteral("BACKUPS#") + folder.trimmed() + QStringLiteral("\r\n")).toUtf8();
    return replace(text);
}

PrinterSettings SettingsFile::printer(const PrinterSettings &systemDefault) const
{
    PrinterSettings p = systemDefault;
    for (const SettingsLine &line : lines()) {
        if (!line.hasSeparator || line.value.isEmpty())
            continue;
        if (line.key == QLatin1String("PRNPORT"))
            p.port = line.value;
        else if (line.key == QLatin1String("PRNDRIVER"))
            p.driver = line.value;
        else if (line.key == QLatin1String("PRNDEVICE"))
            p.device = line.value;
    }
    return p;
}

bool SettingsFile::createIfMissing() const
{
    if (exists())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly);
}

QString SettingsFile::write(const QString &bookPath, const PrinterSettings &printer) const
{
    if (!exists())
        return QStringLiteral("The settings file \"%1\" no longer exists.").arg(m_path);
    return replace(render(bookPath, printer, lastValue(QStringLiteral("BACKUPS"))));
}

QString SettingsFile::replace(const QByteArray &text) const
{
    // Written to a temporary file and renamed over the old one, so a failure
    // part-way never leaves a half-written settings file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(text);
    if (!file.commit())
        return file.errorString();
    return QString();
}

QByteArray SettingsFile::render(const QString &bookPath, const PrinterSettings &printer, const QString &backupsFolder)
{
    QString text = QStringLiteral("DBPath#") + NullToText(bookPath) + QStringLiteral("\r\n")
        + QStringLiteral("PRNPORT#") + printer.port + QStringLiteral("\r\n") + QStringLiteral("PRNDRIVER#")
        + printer.driver + QStringLiteral("\r\n") + QStringLiteral("PRNDEVICE#") + printer.device
        + QStringLiteral("\r\n");
    if (!backupsFolder.isEmpty())
        text += QStringLiteral("BACKUPS#") + backupsFolder + QStringLiteral("\r\n");
    return text.toUtf8();
}

} // namespace bc
