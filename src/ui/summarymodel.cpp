#include "summarymodel.h"

namespace bc {

namespace {

ResultColumn<SummaryRow> amount(const QString &caption, Money SummaryRow::*member)
{
    GridColumn column = GridColumn::shown(caption, GridColumn::Format::Amount);
    column.width = 130;
    return {column, CellType::Money, [member](const SummaryRow &row) { return QVariant::fromValue(row.*member); }};
}

QList<ResultColumn<SummaryRow>> summaryColumns()
{
    GridColumn name = GridColumn::shown(QStringLiteral("A/C Name"), GridColumn::Format::Plain);
    name.width = 260;
    // The side flag, in words: every row the summary lists is an account.
    GridColumn side = GridColumn::shown(QStringLiteral("A/C Type"), GridColumn::Format::ValueList);
    side.valueList = {{QStringLiteral("A"), QStringLiteral("Account")}, {QStringLiteral("P"), QStringLiteral("Party")}};
    return {
        {GridColumn::hiddenColumn(QString()), CellType::Int,
         [](const SummaryRow &row) { return QVariant(qlonglong(row.accountId)); }},
        {name, CellType::Text, [](const SummaryRow &row) { return QVariant(row.name); }},
        amount(QStringLiteral("Open Amount"), &SummaryRow::opening),
        amount(QStringLiteral("Transactions"), &SummaryRow::movement),
        amount(QStringLiteral("Balance Amount"), &SummaryRow::balance),
        {side, CellType::Text,
         [](const SummaryRow &row) {
             return QVariant(row.side == AccountSide::None ? QString() : QString(sideLetter(row.side)));
         }},
    };
}

} // namespace

SummaryModel::SummaryModel(QObject *parent)
    : ResultModel(&SummaryResult::listed, summaryColumns(), parent)
{
}

} // namespace bc
