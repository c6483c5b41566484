#include "dates.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace bc {

namespace {

struct Pieces {
    int first = 0, second = 0, year = 0;
};

// Splits "a/b/yyyy" (separators "/", "-" or ".") into three numbers.
std::optional<Pieces> numericPieces(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{4}|\\d{2})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Pieces p{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    if (m.captured(3).size() == 2)
        p.year += 2000;
    return p;
}

QString localeShortPattern()
{
    QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    if (pattern.contains(QLatin1String("MMM")) || pattern.contains(u'd') == false)
        return QStringLiteral("yyyy-MM-dd");
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

} // namespace

bool isMonthFirst(const QString &dateFormat)
{
    return dateFormat == QLatin1String("M/d/yyyy") || dateFormat == QLatin1String("mm/dd/yyyy");
}

QDate parseUserDate(const QString &text, const QString &dateFormat)
{
    const auto p = numericPieces(text);
    if (!p)
        return {};
    return isMonthFirst(dateFormat) ? QDate(p->year, p->first, p->second) : QDate(p->year, p->second, p->first);
}

TypedDate readTypedDate(const QString &text, const QString &dateFormat)
{
    QString typed = text;
    typed.remove(u' ');
    // An empty date mask leaves its separators alone.
    if (QString(typed).remove(u'/').isEmpty())
        return {};
    static const QRegularExpression eightDigits(QStringLiteral("^(\\d{2})(\\d{2})(\\d{4})$"));
    std::optional<Pieces> p;
    if (const auto m = eightDigits.match(typed); m.hasMatch())
        p = Pieces{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    else
        p = numericPieces(typed);
    const bool monthFirst = isMonthFirst(dateFormat);
    if (!p) {
        const QString example = monthFirst ? QStringLiteral("12/31/2026") : QStringLiteral("31/12/2026");
        return {QDate(),
                QStringLiteral("type the day, month and year as %1 or %2").arg(example, QString(example).remove(u'/'))};
    }
    const int day = monthFirst ? p->second : p->first;
    const int month = monthFirst ? p->first : p->second;
    if (month < 1 || month > 12)
        return {QDate(), QStringLiteral("there is no month %1").arg(month)};
    const QDate first(p->year, month, 1);
    if (!first.isValid())
        return {QDate(), QStringLiteral("there is no year %1").arg(p->year)};
    if (day < 1 || day > first.daysInMonth())
        return {
            QDate(),
            QStringLiteral("%1 has %2 days").arg(first.toString(QStringLiteral("MMMM yyyy"))).arg(first.daysInMonth())};
    return {QDate(p->year, month, day), QString()};
}

QString formatUserDate(const QDate &date, const QString &dateFormat)
{
    return date.toString(isMonthFirst(dateFormat) ? QStringLiteral("M/d/yyyy") : QStringLiteral("d/M/yyyy"));
}

QDate parseMonthFirst(const QString &text)
{
    const auto p = numericPieces(text);
    return p ? QDate(p->year, p->first, p->second) : QDate();
}

std::optional<QString> ToQueryDate(const QString &text, const QString &dateFormat)
{
    if (isMonthFirst(dateFormat)) {
        const QDate d = parseMonthFirst(text);
        return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : text;
    }
    if (text.trimmed().isEmpty() || text.trimmed() == QLatin1String("0"))
        return QStringLiteral(" ");
    const QStringList parts = text.split(u'/');
    if (parts.size() < 3)
        return std::nullopt;
    return parts[1] + u'/' + parts[0] + u'/' + parts[2];
}

bool IsValidDate(const QString &text, const QString &dateFormat)
{
    if (dateFormat != QLatin1String("dd/mm/yyyy"))
        return parseUserDate(text, dateFormat).isValid();
    const QString cleaned = text.trimmed();
    if (cleaned.isEmpty() || cleaned == QLatin1String("0"))
        return false;
    const QStringList parts = text.split(u'/');
    if (parts.size() < 3)
        return false;
    for (int i = 0; i < 3; ++i)
        if (parts[i].trimmed().isEmpty())
            return false;
    const auto query = ToQueryDate(text, dateFormat);
    return query && parseMonthFirst(*query).isValid();
}

QString reportDatePattern(const QString &dateFormat)
{
    return isMonthFirst(dateFormat) ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("dd/MM/yyyy");
}

QString formatReportDate(const QDate &date, const QString &dateFormat)
{
    return date.toString(reportDatePattern(dateFormat));
}

QString shortDateText(const QDate &date)
{
    return date.toString(localeShortPattern());
}

QDate parseShortDate(const QString &text)
{
    const QString t = text.trimmed();
    const QDate iso = fromIsoDate(t);
    if (iso.isValid())
        return iso;
    return QDate::fromString(t, localeShortPattern());
}

QString isoDate(const QDate &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QDate fromIsoDate(const QString &text)
{
    // Anchored at the very end: "$" alone would let a final line break through.
    static const QRegularExpression re(QRegularExpression::anchoredPattern(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")));
    if (!re.match(text).hasMatch())
        return {};
    return QDate::fromString(text, Qt::ISODate);
}

} // namespace bc
