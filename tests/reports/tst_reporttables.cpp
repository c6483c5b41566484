#include "reportdefinition.h"
#include "transactions.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace bc;

namespace {

void addTran(RowArray &rows, const QDate &date, const QString &to, const QString &from, qint64 cents,
             const QString &particulars)
{
    const int r = rows.appendRow();
    rows.setInt(r, TranCol::Id, r + 1);
    if (date.isValid())
        rows.setDate(r, TranCol::Date, date);
    if (!to.isEmpty())
        rows.setKey(r, TranCol::To, AccountKey::fromText(to));
    if (!from.isEmpty())
        rows.setKey(r, TranCol::From, AccountKey::fromText(from));
    rows.setMoney(r, TranCol::Amount, Money::fromCents(cents));
    rows.setText(r, TranCol::Particulars, particulars);
}

SummaryResult summaryOf(int count)
{
    SummaryResult summary;
    for (int i = 0; i < count; ++i)
        summary.listed.push_back({100 + i, QStringLiteral("Account %1").arg(i), Money::fromCents(1000 * i),
                                  Money::fromCents(-250 * i), Money::fromCents(750 * i), AccountSide::Account});
    return summary;
}

QStringList column(const ReportTable &table, int c)
{
    QStringList cells;
    for (const QStringList &row : table.rows)
        cells << row.value(c);
    return cells;
}

} // namespace

TEST(TransactionListReport, NamesBothSidesInGridOrderWithTypedDatesAndCutNames)
{
    const QHash<QString, QString> names{{QStringLiteral("A1"), QStringLiteral("CASH")},
                                        {QStringLiteral("A2"), QString(50, u's')},
                                        {QStringLiteral("P7"), QStringLiteral("Harlow Traders")}};
    const AccountNameLookup lookup = [&](const AccountKey &key) { return names.value(key.toText()); };
    RowArray rows = makeTranRows();
    addTran(rows, QDate(2006, 3, 7), QString(), QStringLiteral("P8"), 300, QStringLiteral("x"));
    addTran(rows, QDate(2006, 3, 5), QStringLiteral("A1"), QStringLiteral("P7"), 12050, QStringLiteral(" rent "));
    addTran(rows, QDate(), QStringLiteral("A99"), QStringLiteral("A2"), -300, QString());
    rows.sortRows(TranCol::Amount, SortDirection::Ascending);

    const PrintedReport report = printedReport(transactionListData(rows, lookup, QDate(2006, 3, 1), QDate(2006, 3, 31)),
                                               QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(report.definition.title, QStringLiteral("Transaction List"));
    const ReportTable &t = report.table;
    ASSERT_EQ(t.rows.size(), 3);
    EXPECT_EQ(column(t, 0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(column(t, 1), (QStringList{QString(), "03/07/2006", "03/05/2006"}));
    EXPECT_EQ(column(t, 2), (QStringList{QString(32, u's'), QString(), "Harlow Traders"})); // From
    EXPECT_EQ(column(t, 3), (QStringList{QString(), QString(), "CASH"})); // To: unknown and empty keys print empty
    EXPECT_EQ(column(t, 4), (QStringList{"-3.00", "3.00", "120.50"}));
    EXPECT_EQ(column(t, 5), (QStringList{QString(), "x", "rent"}));
    EXPECT_EQ(t.totals, (QStringList{QString(), QString(), QString(), QString(), "120.50", QString()}));
    EXPECT_EQ(t.parameterValues, QStringList{"03/01/2006 to 03/31/2006"});

    const PrintedReport all = printedReport(transactionListData(makeTranRows(), lookup), QStringLiteral("d/M/yyyy"));
    EXPECT_TRUE(all.table.rows.isEmpty());
    EXPECT_EQ(all.table.parameterValues, QStringList{"All dates"});
    EXPECT_EQ(suggestedFileName(all), QStringLiteral("Transaction List - All dates"));
}

TEST(AccountLedgerReport, SplitsMovementsIntoDebitAndCreditAndPrintsBalancesWithSides)
{
    LedgerReportData data;
    data.ledger.movements = {{QDate(2006, 3, 5), QStringLiteral("SALES [cash sale]"), Money::fromCents(50000),
                              Money::fromCents(50000)},
                             {QDate(2006, 3, 6), QStringLiteral("RENT [") + QString(80, u'r') + u']',
                              Money::fromCents(-170050), Money::fromCents(-120050)}};
    data.header = {QStringLiteral("  CASH  "), QDate(2006, 3, 1), QDate(2006, 3, 31), Money(),
                   Money::fromCents(-120050)};

    const PrintedReport report = printedReport(data, QStringLiteral("d/M/yyyy"));
    const ReportTable &t = report.table;
    ASSERT_EQ(t.rows.size(), 2);
    EXPECT_EQ(t.rows[0], (QStringList{"1", "05/03/2006", "By SALES [cash sale]", "0.00", "500.00", "500.00 Cr"}));
    EXPECT_EQ(t.rows[1],
              (QStringList{"2", "06/03/2006", QStringLiteral("To RENT [") + QString(80, u'r') + u']', "1700.50", "0.00",
                           "1200.50 Dr"}));
    EXPECT_EQ(t.totals, (QStringList{QString(), QString(), QString(), "1700.50", "500.00", QString()}));
    EXPECT_EQ(t.parameterValues, (QStringList{"CASH", "01/03/2006 to 31/03/2006", "0.00", "1200.50 Dr"}));
    EXPECT_EQ(suggestedFileName(report), QStringLiteral("Account Ledger - CASH - 01-03-2006 to 31-03-2006"));
}

TEST(AccountSummaryReport, PrintsPickedRowsInPickingOrderOrEveryRowAndTotalsWhatItPrints)
{
    SummaryReportData data{summaryOf(6), {5, 9, 2, -1}, QDate(2024, 4, 1), QDate(2025, 3, 31)};
    data.summary.listed[2].name = QString(45, u'n');

    const ReportTable picked = printedReport(data, QStringLiteral("d/M/yyyy")).table;
    ASSERT_EQ(picked.rows.size(), 2);
    EXPECT_EQ(picked.rows[0], (QStringList{"1", "Account 5", "50.00", "-12.50", "37.50"}));
    EXPECT_EQ(picked.rows[1], (QStringList{"2", QString(40, u'n'), "20.00", "-5.00", "15.00"}));
    EXPECT_EQ(picked.totals, (QStringList{QString(), QString(), "70.00", "-17.50", "52.50"}));
    EXPECT_EQ(picked.parameterValues, QStringList{"01/04/2024 to 31/03/2025"});

    data.selectedRows.clear();
    const ReportTable all = printedReport(data, QStringLiteral("M/d/yyyy")).table;
    ASSERT_EQ(all.rows.size(), 6);
    EXPECT_EQ(column(all, 0).last(), QStringLiteral("6"));
    EXPECT_EQ(all.parameterValues, QStringList{"04/01/2024 to 03/31/2025"});

    data.selectedRows = {9, -1};
    EXPECT_TRUE(printedReport(data, {}).table.rows.isEmpty());
}
