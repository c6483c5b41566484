#include "gridcolumn.h"

#include "balancetext.h"
#include "money.h"
#include "rowarray.h"

#include <QDate>

namespace bc {

QString GridColumn::displayFor(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return QString();
    // A text cell shows as a number only when it holds one ("1234.5" as
    // "1,234.50"); other texts, such as "12.00 (Credit)", stay as they are.
    const bool text = stored.typeId() == QMetaType::QString;
    const std::optional<Money> amount = text ? Money::parse(stored.toString()) : stored.value<Money>();
    switch (format) {
    case Format::Standard: return amount ? amount->toStandard() : stored.toString();
    case Format::Amount: return amount ? amount->toPlain() : stored.toString();
    case Format::Balance: return amount ? runningBalanceText(*amount) : stored.toString();
    case Format::Date: return stored.toDate().toString(datePattern);
    case Format::ValueList:
        for (const auto &[value, text] : valueList)
            if (value.toString() == stored.toString())
                return text;
        return stored.toString();
    case Format::Check: return stored.toLongLong() == 1 ? QStringLiteral("Yes") : QStringLiteral("No");
    case Format::Plain: break;
    }
    return stored.toString();
}

QVariant GridColumn::storedFor(const QString &display) const
{
    for (const auto &[value, text] : valueList)
        if (text.compare(display, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

} // namespace bc
