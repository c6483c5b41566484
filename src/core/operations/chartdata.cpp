#include "chartdata.h"

#include "textroutines.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace bc {

namespace {

using Wide = __int128;

// Floor division followed by the half-to-even correction; the 128-bit operands
// leave room for the offsets the scales add to amounts near the 64-bit limits.
Wide nearestWhole(Wide numerator, Wide denominator)
{
    Wide quotient = numerator / denominator;
    Wide remainder = numerator % denominator;
    if (remainder < 0) {
        remainder += denominator;
        --quotient;
    }
    const Wide twice = remainder * 2;
    if (twice > denominator || (twice == denominator && (quotient & 1) != 0))
        ++quotient;
    return quotient;
}

Wide powerOfTen(int exponent)
{
    Wide p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= 10;
    return p;
}

// k * 10^exponent as a double, dividing for negative exponents so that
// -3 * 10^-1 comes out as the double nearest to -0.3.
double scaled(Wide k, int exponent)
{
    const double whole = double(k);
    return exponent >= 0 ? whole * double(powerOfTen(exponent)) : whole / double(powerOfTen(-exponent));
}

Wide magnitude(Money m)
{
    return m.cents() < 0 ? -Wide(m.cents()) : Wide(m.cents());
}

} // namespace

qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    return qint64(nearestWhole(numerator, denominator));
}

AxisScale tensScale(Money lowest, Money highest)
{
    // A ten in currency units is 1000 cents: N(x / 10 - 1) = N((cents - 1000) / 1000).
    const Wide ten = 1000;
    return {scaled(nearestWhole(Wide(lowest.cents()) - ten, ten), 1),
            scaled(nearestWhole(Wide(highest.cents()) + ten, ten), 1)};
}

AxisScale magnitudeScale(Money lowest, Money highest)
{
    const Wide largest = std::max(magnitude(lowest), magnitude(highest));
    if (largest == 0)
        return {};
    // log10(m) - 1 with m in units is log10(cents) - 3. A tie would need m to
    // be an odd half-power of ten, which no whole number of cents is.
    const int exponent = int(std::nearbyint(std::log10(static_cast<long double>(largest)) - 3));
    // Work in units of a tenth of a cent when the step is below a cent (a
    // largest amount of 0.03 or less): then every amount is a whole number of
    // steps times ten.
    const int stepCentsExponent = exponent + 2;
    const Wide factor = stepCentsExponent < 0 ? powerOfTen(-stepCentsExponent) : 1;
    const Wide step = stepCentsExponent < 0 ? 1 : powerOfTen(stepCentsExponent);
    const Wide low = nearestWhole(Wide(lowest.cents()) * factor - step, step);
    const Wide high = nearestWhole(Wide(highest.cents()) * factor + step, step);
    return {scaled(low, exponent), scaled(high, exponent)};
}

QString ChartData::suggestedFileName() const
{
    QStringList parts{title.isEmpty() ? QStringLiteral("Chart") : title};
    if (!subject.isEmpty())
        parts << subject;
    if (!fromDate.isEmpty())
        parts << fromDate + QStringLiteral(" to ") + toDate;
    return safeFileName(parts.join(QStringLiteral(" - ")));
}

} // namespace bc
