#include "money.h"

#include <limits>

namespace bc {

namespace {

// Reads [sign] digits [. digits] from the start of text; returns the number of
// characters consumed (0 when no digit was read) and the rounded cents.
qsizetype readNumber(const QString &text, qint64 &cents, bool &overflow)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 whole = 0;
    bool anyDigit = false;
    overflow = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        anyDigit = true;
        if (whole > Money::MaxCents / 10)
            overflow = true;
        else
            whole = whole * 10 + (text[i].unicode() - '0');
        ++i;
    }
    qint64 fraction = 0; // in cents
    int roundDigit = 0;
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        int places = 0;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            const int d = text[j].unicode() - '0';
            if (places < 2)
                fraction = fraction * 10 + d;
            else if (places == 2)
                roundDigit = d;
            ++places;
            ++j;
        }
        if (places > 0 || anyDigit) {
            anyDigit = anyDigit || places > 0;
            if (places == 1)
                fraction *= 10;
            i = j;
        }
    }
    if (!anyDigit)
        return 0;
    cents = whole * 100 + fraction + (roundDigit >= 5 ? 1 : 0);
    // Checked after rounding: "999999999999.995" rounds beyond the largest amount.
    if (whole > Money::MaxCents / 100 || cents > Money::MaxCents)
        overflow = true;
    if (negative)
        cents = -cents;
    return i;
}

qint64 saturate(__int128 v)
{
    if (v > std::numeric_limits<qint64>::max())
        return std::numeric_limits<qint64>::max();
    if (v < std::numeric_limits<qint64>::min())
        return std::numeric_limits<qint64>::min();
    return qint64(v);
}

QString digitsWithGrouping(const QString &digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype k = 0; k < n; ++k) {
        if (k > 0 && (n - k) % 3 == 0)
            out += u',';
        out += digits[k];
    }
    return out;
}

QString format(qint64 cents, bool grouping)
{
    const bool negative = cents < 0;
    // Work in unsigned so the most negative value does not overflow on negation.
    const quint64 magnitude = negative ? 0 - quint64(cents) : quint64(cents);
    QString whole = QString::number(magnitude / 100);
    if (grouping)
        whole = digitsWithGrouping(whole);
    const quint64 rest = magnitude % 100;
    return (negative ? QStringLiteral("-") : QString()) + whole + u'.' + QString::number(rest).rightJustified(2, u'0');
}

} // namespace

std::optional<Money> Money::parse(const QString &text)
{
    const QString t = text.trimmed();
    qint64 cents = 0;
    bool overflow = false;
    const qsizetype used = readNumber(t, cents, overflow);
    if (used == 0 || used != t.size() || overflow)
        return std::nullopt;
    return Money(cents);
}

Money Money::leadingNumber(const QString &text)
{
    qint64 cents = 0;
    bool overflow = false;
    if (readNumber(text.trimmed(), cents, overflow) == 0 || overflow)
        return Money();
    return Money(cents);
}

QString Money::toPlain() const
{
    return format(m_cents, false);
}
QString Money::toStandard() const
{
    return format(m_cents, true);
}

Money Money::operator+(Money o) const
{
    return Money(saturate(__int128(m_cents) + o.m_cents));
}
Money Money::operator-() const
{
    return Money(saturate(-__int128(m_cents)));
}
Money Money::operator-(Money o) const
{
    return Money(saturate(__int128(m_cents) - o.m_cents));
}

} // namespace bc
