#include "backuprotation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>
#include <vector>

namespace bc {

namespace {

const QString StampFormat = QStringLiteral("yyyyMMdd-HHmmss");

struct Copy {
    QString name;
    QDateTime made;
};

// Keeps the newest copy of each of the latest `count` periods that have a
// copy; copies are sorted newest first.
void keepNewestPerPeriod(const std::vector<Copy> &copies, int count, const std::function<int(const QDate &)> &period,
                         QSet<QString> &kept)
{
    QSet<int> seen;
    for (const Copy &c : copies) {
        if (seen.size() == count)
            return;
        const int key = period(c.made.date());
        if (seen.contains(key))
            continue;
        seen.insert(key);
        kept.insert(c.name);
    }
}

// The names of the book's copies, the stamp captured.
QRegularExpression copyPattern(const QString &bookPath)
{
    static const QString tail = QStringLiteral("-(\\d{8}-\\d{6})(?:-\\d{1,3})?\\.fd");
    return QRegularExpression(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(bookCopyPrefix(bookPath)) + tail));
}

std::optional<QDateTime> stampMatching(const QRegularExpression &pattern, const QString &fileName)
{
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    const QDateTime made = QDateTime::fromString(match.captured(1), StampFormat);
    if (!made.isValid())
        return std::nullopt;
    return made;
}

} // namespace

QString bookStem(const QString &bookPath)
{
    const QString name = QFileInfo(bookPath).fileName();
    return name.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive) ? name.chopped(3) : name;
}

QString bookCopyPrefix(const QString &bookPath)
{
    const QFileInfo info(bookPath);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
    return bookStem(path) + u'-' + QString::fromLatin1(digest);
}

QString stampedName(const QString &prefix, const QDateTime &when, int repeat)
{
    const QString stem = prefix + u'-' + when.toString(StampFormat);
    return repeat > 1 ? QStringLiteral("%1-%2.fd").arg(stem).arg(repeat) : stem + QStringLiteral(".fd");
}

QString stampedCopyName(const QString &bookPath, const QDateTime &when, int repeat)
{
    return stampedName(bookCopyPrefix(bookPath), when, repeat);
}

std::optional<QDateTime> stampOfCopy(const QString &bookPath, const QString &fileName)
{
    return stampMatching(copyPattern(bookPath), fileName);
}

QStringList copiesToDelete(const QString &bookPath, const QStringList &fileNames, const QDateTime &now)
{
    const QRegularExpression pattern = copyPattern(bookPath);
    std::vector<Copy> copies;
    for (const QString &name : fileNames)
        if (const std::optional<QDateTime> made = stampMatching(pattern, name); made && *made <= now)
            copies.push_back({name, *made});
    std::sort(copies.begin(), copies.end(), [](const Copy &a, const Copy &b) {
        // In the same second "-2" follows the plain name, "-10" follows "-9".
        if (a.made != b.made)
            return a.made > b.made;
        return a.name.size() != b.name.size() ? a.name.size() > b.name.size() : a.name > b.name;
    });
    QSet<QString> kept;
    keepNewestPerPeriod(
        copies, 7, [](const QDate &d) { return int(d.toJulianDay()); }, kept);
    keepNewestPerPeriod(
        copies, 4,
        [](const QDate &d) {
            int year = 0;
            const int week = d.weekNumber(&year);
            return year * 100 + week;
        },
        kept);
    keepNewestPerPeriod(
        copies, 12, [](const QDate &d) { return d.year() * 100 + d.month(); }, kept);
    QStringList doomed;
    for (const Copy &c : copies)
        if (!kept.contains(c.name))
            doomed << c.name;
    return doomed;
}

} // namespace bc
