#pragma once

#include <QString>
#include <QtGlobal>
#include <compare>
#include <optional>

namespace bc {

// An exact amount of money in whole cents. Every amount the program stores,
// sums or shows passes through this type, so no sum is ever off by a
// floating-point cent.
class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromCents(qint64 cents) { return Money(cents); }

    // Parses a plain decimal number ("-12.5", "1200.50", ".5"). More than two
    // decimals round half away from zero to the cent. Returns nothing for text
    // that is not entirely a number or that does not fit.
    static std::optional<Money> parse(const QString &text);

    // The number at the start of a text ("12abc" gives 12, "abc" gives 0),
    // the way amounts typed into search boxes are read.
    static Money leadingNumber(const QString &text);

    constexpr qint64 cents() const { return m_cents; }
    constexpr bool isZero() const { return m_cents == 0; }
    constexpr bool isNegative() const { return m_cents < 0; }
    Money abs() const { return Money(m_cents < 0 ? -m_cents : m_cents); }
    double toDouble() const { return double(m_cents) / 100.0; }

    // "#0.00": at least one integer digit, two decimals, minus sign, no grouping.
    QString toPlain() const;
    // "Standard": like toPlain but with thousands separators.
    QString toStandard() const;

    // Saturating arithmetic: an overflow gives the extreme value rather than
    // undefined behaviour; amounts that large are refused at entry anyway.
    Money operator+(Money o) const;
    Money operator-(Money o) const;
    Money operator-() const;
    Money &operator+=(Money o) { return *this = *this + o; }
    Money &operator-=(Money o) { return *this = *this - o; }
    constexpr auto operator<=>(const Money &) const = default;

    // The largest amount that can be typed: twelve integer digits.
    static constexpr qint64 MaxCents = 99999999999999LL;

private:
    constexpr explicit Money(qint64 cents)
        : m_cents(cents)
    {
    }
    qint64 m_cents = 0;
};

} // namespace bc
