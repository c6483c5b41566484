#include "qifamounts.h"

#include "amounttext.h"
#include "statement.h"

#include <QRegularExpression>

namespace bc {

namespace {

QString lineName(int line)
{
    return QStringLiteral("line %1").arg(line);
}

AmountFormat decimalComma()
{
    AmountFormat comma;
    comma.decimalSeparator = u',';
    comma.thousandsSeparators = QStringLiteral(". ");
    return comma;
}

// One point or comma followed by exactly three digits: thousands in one
// file, three decimals in another.
bool separatorUnsettled(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[^.,]*[0-9][.,][0-9]{3}[^.,0-9]*$"));
    return pattern.match(text.trimmed()).hasMatch();
}

} // namespace

std::vector<Money> readQifAmounts(const std::vector<QifAmountText> &amounts)
{
    const AmountFormat point, comma = decimalComma();
    bool pointFits = true, commaFits = true;
    const QifAmountText *unsettled = nullptr;
    for (const QifAmountText &amount : amounts) {
        const bool asPoint = parseAmountText(amount.text, point).has_value();
        const bool asComma = parseAmountText(amount.text, comma).has_value();
        if (separatorUnsettled(amount.text)) {
            if (!unsettled)
                unsettled = &amount;
            continue;
        }
        if (!asPoint && !asComma)
            throw StatementError(lineName(amount.line), QStringLiteral("\"%1\" is not an amount").arg(amount.text));
        if ((!asPoint || !pointFits) && (!asComma || !commaFits))
            throw StatementError(lineName(amount.line),
                                 QStringLiteral("\"%1\" reads only with a decimal %2, unlike the amounts before it")
                                     .arg(amount.text, asPoint ? QStringLiteral("point") : QStringLiteral("comma")));
        pointFits = pointFits && asPoint;
        commaFits = commaFits && asComma;
    }
    if (pointFits && commaFits && unsettled)
        throw StatementError(lineName(unsettled->line),
                             QStringLiteral("\"%1\" groups thousands or has three decimals, and no amount of the "
                                            "file shows which")
                                 .arg(unsettled->text));
    const bool byPoint = pointFits;
    std::vector<Money> read;
    read.reserve(amounts.size());
    for (const QifAmountText &amount : amounts) {
        const auto value = parseAmountText(amount.text, byPoint ? point : comma);
        if (!value)
            throw StatementError(lineName(amount.line),
                                 QStringLiteral("\"%1\" is not an amount with a decimal %2, as the file's others are")
                                     .arg(amount.text, byPoint ? QStringLiteral("point") : QStringLiteral("comma")));
        read.push_back(*value);
    }
    return read;
}

} // namespace bc
