#include "datepattern.h"

namespace bc {

namespace {

// The pattern's fields as runs of one letter ("yyyy", "/", "MM", ...).
QStringList fieldsOf(const QString &pattern)
{
    QStringList fields;
    for (const QChar c : pattern) {
        if (!fields.isEmpty() && fields.back().back() == c && c.isLetter())
            fields.back() += c;
        else
            fields << QString(c);
    }
    return fields;
}

bool isField(const QString &field)
{
    return !field.isEmpty() && field.front().isLetter();
}

} // namespace

bool isDatePattern(const QString &pattern)
{
    int days = 0;
    int months = 0;
    int years = 0;
    for (const QString &field : fieldsOf(pattern)) {
        if (field == QLatin1String("d") || field == QLatin1String("dd"))
            ++days;
        else if (field == QLatin1String("M") || field == QLatin1String("MM") || field == QLatin1String("MMM"))
            ++months;
        else if (field == QLatin1String("yy") || field == QLatin1String("yyyy"))
            ++years;
        else if (isField(field) || field == QLatin1String("'"))
            return false;
    }
    return days == 1 && months == 1 && years == 1;
}

QDate parseDateByPattern(const QString &text, const QString &pattern)
{
    if (!isDatePattern(pattern))
        return {};
    const QStringList fields = fieldsOf(pattern);
    const QString trimmed = text.trimmed();
    if (fields.contains(QStringLiteral("MMM")))
        return QDate::fromString(trimmed, pattern);
    // Numbers read here rather than through QDate::fromString, which is many
    // times slower: a bank's file can hold a hundred thousand dates.
    // A pattern with fields side by side ("yyyyMMdd") reads each field at
    // its full width; one with a separator between every two fields reads
    // days and months of one or two digits, leading zero or not.
    bool compact = false;
    for (qsizetype i = 1; i < fields.size(); ++i)
        compact = compact || (isField(fields[i - 1]) && isField(fields[i]));
    int day = 0;
    int month = 0;
    int year = 0;
    qsizetype pos = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString &field = fields[i];
        if (!isField(field)) {
            if (pos >= trimmed.size() || trimmed[pos] != field.front())
                return {};
            ++pos;
            continue;
        }
        const bool isYear = field.front() == u'y';
        const qsizetype most = isYear ? field.size() : 2;
        const qsizetype least = isYear || compact ? most : 1;
        int value = 0;
        qsizetype digits = 0;
        while (digits < most && pos < trimmed.size() && trimmed[pos] >= u'0' && trimmed[pos] <= u'9') {
            value = value * 10 + (trimmed[pos].unicode() - '0');
            ++pos;
            ++digits;
        }
        if (digits < least)
            return {};
        if (isYear)
            year = field.size() == 2 ? 2000 + value : value;
        else if (field.front() == u'd')
            day = value;
        else
            month = value;
    }
    return pos == trimmed.size() ? QDate(year, month, day) : QDate();
}

} // namespace bc
