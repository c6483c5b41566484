#include "ofxvalues.h"

#include <QRegularExpression>

namespace bc {

std::optional<Money> ofxAmount(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)([0-9]*)(?:([.,])([0-9]*))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString whole = match.captured(2);
    const QString fraction = match.captured(4);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (match.captured(3) == QLatin1String(",") && fraction.size() == 3)
        return std::nullopt;
    for (qsizetype i = 2; i < fraction.size(); ++i)
        if (fraction[i] != u'0')
            return std::nullopt;
    QString plain = match.captured(1) == QLatin1String("-") ? QStringLiteral("-") : QString();
    plain += whole.isEmpty() ? QStringLiteral("0") : whole;
    if (!fraction.isEmpty())
        plain += u'.' + fraction.left(2);
    return Money::parse(plain);
}

QDate ofxDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})"
                       "(?:([0-9]{2})([0-9]{2})(?:([0-9]{2})(?:\\.[0-9]{1,3})?)?)?"
                       "(?:\\[\\s*[+-]?[0-9]{1,4}(?:\\.[0-9]{1,2})?\\s*(?::\\s*[A-Za-z][A-Za-z0-9_/+-]*\\s*)?\\])?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    const int year = match.captured(1).toInt();
    if (year < 1)
        return {};
    if (match.capturedLength(4) > 0) {
        const int hour = match.captured(4).toInt();
        const int minute = match.captured(5).toInt();
        const int second = match.capturedLength(6) > 0 ? match.captured(6).toInt() : 0;
        if (hour > 23 || minute > 59 || second > 60)
            return {};
    }
    return QDate(year, match.captured(2).toInt(), match.captured(3).toInt());
}

} // namespace bc
