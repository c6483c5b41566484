#include "gridcolumn.h"

#include "money.h"
#include "rowarray.h"

#include <QDate>

namespace bc {

QString GridColumn::displayFor(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return QString();
    switch (format) {
    case Format::Standard:
        return stored.value<Money>().toStandard();
    case Format::Amount:
        return stored.value<Money>().toPlain();
    case Format::Date:
        return stored.toDate().toString(datePattern);
    case Format::ValueList:
        for (const auto &[value, text] : valueList)
            if (value.toString() == stored.toString())
                return text;
        return stored.toString();
    case Format::Plain:
        break;
    }
    return stored.toString();
}

QVariant GridColumn::storedFor(const QString &display) const
{
    for (const auto &[value, text] : valueList)
        if (text == display)
            return value;
    return {};
}

} // namespace bc
