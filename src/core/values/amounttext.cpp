#include "amounttext.h"

namespace bc {

namespace {

bool isSpaceLike(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F) || c == u'\t';
}

// Drops blanks and currency symbols from both ends.
QStringView stripped(QStringView text, const QString &symbols)
{
    auto drop = [&](QChar c) { return isSpaceLike(c) || symbols.contains(c); };
    while (!text.isEmpty() && drop(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && drop(text.back()))
        text.chop(1);
    return text;
}

bool isGroupSeparator(QChar c, const AmountFormat &format)
{
    if (c == format.decimalSeparator)
        return false;
    if (isSpaceLike(c))
        return format.thousandsSeparators.contains(u' ');
    return format.thousandsSeparators.contains(c);
}

// The integer part with its group separators checked and dropped: groups
// after the first are exactly three digits, the first one to three.
std::optional<QString> integerDigits(QStringView text, const AmountFormat &format)
{
    QString digits;
    int groupLength = 0;
    bool grouped = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            ++groupLength;
        } else if (isGroupSeparator(c, format)) {
            if (groupLength == 0 || (grouped && groupLength != 3) || (!grouped && groupLength > 3))
                return std::nullopt;
            grouped = true;
            groupLength = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && groupLength != 3)
        return std::nullopt;
    return digits;
}

} // namespace

std::optional<Money> parseAmountText(const QString &text, const AmountFormat &format)
{
    QStringView rest = stripped(text, format.currencySymbols);
    bool negative = false;
    if (format.parenthesesNegative && rest.startsWith(u'(') && rest.endsWith(u')')) {
        negative = true;
        rest = stripped(rest.mid(1, rest.size() - 2), format.currencySymbols);
    }
    if (!rest.isEmpty() && (rest.front() == u'-' || rest.front() == u'+' || rest.front() == QChar(0x2212))) {
        if (negative) // "(-12.50)": which sign is meant is unclear
            return std::nullopt;
        negative = rest.front() != u'+';
        rest = stripped(rest.mid(1), format.currencySymbols);
    }
    if (rest.isEmpty())
        return std::nullopt;

    const qsizetype point = rest.lastIndexOf(format.decimalSeparator);
    const QStringView whole = point < 0 ? rest : rest.left(point);
    const QStringView fraction = point < 0 ? QStringView() : rest.mid(point + 1);
    const auto digits = integerDigits(whole, format);
    if (!digits)
        return std::nullopt;
    // A third decimal is no cent: it is refused rather than rounded, and
    // "1.500" where the point may group thousands is not taken for 1.50.
    if (fraction.size() > 2)
        return std::nullopt;
    for (const QChar c : fraction)
        if (!c.isDigit() || c.unicode() >= 128)
            return std::nullopt;
    if (digits->isEmpty() && fraction.isEmpty())
        return std::nullopt;
    QString plain = negative ? QStringLiteral("-") : QString();
    plain += digits->isEmpty() ? QStringLiteral("0") : *digits;
    if (!fraction.isEmpty())
        plain += u'.' + fraction.toString();
    return Money::parse(plain);
}

} // namespace bc
