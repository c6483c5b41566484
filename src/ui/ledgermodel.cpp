#include "ledgermodel.h"

namespace bc {

namespace {

GridColumn shown(const QString &caption, GridColumn::Format format, int width = 0)
{
    GridColumn column = GridColumn::shown(caption, format);
    column.width = width;
    return column;
}

// The movement's magnitude in the column of its side, debits being money out.
std::function<QVariant(const LedgerMovement &)> sideAmount(bool debit)
{
    return [debit](const LedgerMovement &m) {
        return m.amount.isNegative() == debit ? QVariant::fromValue(m.amount.abs()) : QVariant();
    };
}

// The account's side's standing with the bank, one letter wide: blank while
// new, "c" once cleared, "R" once reconciled with a statement.
GridColumn standing()
{
    GridColumn column = shown(QStringLiteral("R"), GridColumn::Format::Plain, 28);
    column.headerTip = QStringLiteral("Standing with the bank: blank new, c cleared, R reconciled");
    return column;
}

QList<ResultColumn<LedgerMovement>> ledgerColumns()
{
    using F = GridColumn::Format;
    return {
        {shown(QStringLiteral("Date"), F::Date, 90), CellType::Date,
         [](const LedgerMovement &m) { return m.date.isValid() ? QVariant(m.date) : QVariant(); }},
        {shown(QStringLiteral("Particulars"), F::Plain, 330), CellType::Text,
         [](const LedgerMovement &m) { return QVariant(ledgerParticulars(m)); }},
        {shown(QStringLiteral("Debit"), F::Standard, 110), CellType::Money, sideAmount(true)},
        {shown(QStringLiteral("Credit"), F::Standard, 110), CellType::Money, sideAmount(false)},
        {shown(QStringLiteral("Balance Amount"), F::Balance), CellType::Money,
         [](const LedgerMovement &m) { return QVariant::fromValue(m.balance); }},
        {standing(), CellType::Text, [](const LedgerMovement &m) { return QVariant(m.status); }},
    };
}

} // namespace

LedgerModel::LedgerModel(QObject *parent)
    : ResultModel(&LedgerResult::movements, ledgerColumns(), parent)
{
}

} // namespace bc
