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
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, pattern);
    const QStringList fields = fieldsOf(pattern);
    if (!date.isValid()) {
        // With a separator between every two fields, the one-letter forms
        // read one or two digits, so the leading zeros need not match.
        bool separated = true;
        for (qsizetype i = 1; i < fields.size(); ++i)
            separated = separated && !(isField(fields[i - 1]) && isField(fields[i]));
        if (!separated)
            return {};
        QString loose;
        for (const QString &field : fields)
            loose += field == QLatin1String("dd") ? QStringLiteral("d")
                : field == QLatin1String("MM")    ? QStringLiteral("M")
                                                  : field;
        date = QDate::fromString(trimmed, loose);
    }
    if (date.isValid() && fields.contains(QStringLiteral("yy")))
        date = date.addYears(100);
    return date;
}

} // namespace bc
