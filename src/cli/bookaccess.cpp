#include "bookaccess.h"

#include "apppaths.h"
#include "clierror.h"
#include "commandline.h"
#include "dates.h"
#include "settingsfile.h"
#include "transactions.h"

#include <QRegularExpression>
#include <cstdio>

namespace bc::cli {

int busyTimeoutMs(int fallback)
{
    bool isNumber = false;
    const int timeout = qEnvironmentVariableIntValue("BRINDLECOT_BUSY_TIMEOUT_MS", &isNumber);
    return isNumber && timeout >= 0 ? timeout : fallback;
}

QString backupsFolder()
{
    const AppPaths paths = AppPaths::standard();
    return SettingsFile(paths.settingsFilePath()).backupsFolder(paths.defaultBackupsFolder());
}

OpenResult openBook(Book &book, const QString &path, OpenOptions options)
{
    options.busyTimeoutMs = busyTimeoutMs(options.busyTimeoutMs);
    if (!options.readOnly)
        options.backupsFolder = backupsFolder();
    const OpenResult opened = book.open(path, options);
    if (!opened.ok())
        throw refusal(oneLine(opened.description));
    if (!opened.backupProblem.isEmpty())
        std::fputs(QStringLiteral("brindlecot-cli: %1\n").arg(oneLine(opened.backupProblem)).toUtf8().constData(),
                   stderr);
    if (!opened.backup.isEmpty())
        std::fputs(QStringLiteral("brindlecot-cli: %1\n").arg(migrationNotice(opened.backup)).toUtf8().constData(),
                   stderr);
    return opened;
}

SystemSettings bookSettings(const Book &book)
{
    SystemSettings settings;
    LoadSystemSettings(book, settings);
    return settings;
}

QDate finYearStart(const CommandLine &commandLine, const SystemSettings &settings)
{
    return commandLine.optionalDate(QStringLiteral("fy-start")).value_or(settings.finYearStart);
}

AccountDirectory::AccountDirectory(const Book &book)
    : m_book(book)
{
    for (const IdName &a : accountNames(book)) {
        m_exact.insert(a.name, a.id);
        m_folded.insert(accountNameKey(a.name), a.id);
        m_keyNames.insert(AccountKey{AccountSide::Account, a.id}.toText(), a.name);
    }
}

std::optional<qint64> AccountDirectory::find(const QString &name) const
{
    const QString wanted = name.trimmed();
    if (const auto exact = m_exact.constFind(wanted); exact != m_exact.constEnd())
        return *exact;
    if (const auto folded = m_folded.constFind(accountNameKey(wanted)); folded != m_folded.constEnd())
        return *folded;
    return std::nullopt;
}

qint64 AccountDirectory::require(const QString &name, const QString &what) const
{
    const auto id = find(name);
    if (!id)
        throw refusal(QStringLiteral("%1: there is no account named \"%2\"").arg(what, name));
    return *id;
}

QString AccountDirectory::nameOf(const AccountKey &key) const
{
    const QString text = key.toText();
    if (const auto known = m_keyNames.constFind(text); known != m_keyNames.constEnd())
        return *known;
    const QString name = GetAccName(m_book, text);
    m_keyNames.insert(text, name);
    return name;
}

QString oneLine(const QString &message)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return message.trimmed().replace(breaks, QStringLiteral(" "));
}

QString withDetail(const QString &message, const QString &detail)
{
    const QString line = oneLine(detail);
    return line.isEmpty() || message.contains(line) ? message : QStringLiteral("%1 (%2)").arg(message, line);
}

} // namespace bc::cli
