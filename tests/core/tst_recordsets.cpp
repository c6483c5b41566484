#include "recordsets.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace bc;

namespace {

// The transaction grid's columns: id, date, To key, From key, amount,
// particulars, status.
RowArray tranRows()
{
    return RowArray(
        {CellType::Int, CellType::Text, CellType::Key, CellType::Key, CellType::Money, CellType::Text, CellType::Text});
}

void addTran(RowArray &rows, const QString &date, const QString &to, const QString &from, qint64 cents,
             const QString &particulars)
{
    const int r = rows.appendRow();
    rows.setInt(r, 0, r + 1);
    rows.setText(r, 1, date);
    rows.setText(r, 2, to);
    rows.setText(r, 3, from);
    rows.setMoney(r, 4, Money::fromCents(cents));
    rows.setText(r, 5, particulars);
}

LedgerMovement movement(const QDate &date, const QString &particulars, qint64 amountCents, qint64 balanceCents)
{
    return {date, particulars, Money::fromCents(amountCents), Money::fromCents(balanceCents)};
}

RowArray summaryRows(int count)
{
    RowArray rows({CellType::Int, CellType::Text, CellType::Money, CellType::Money, CellType::Money, CellType::Text});
    for (int i = 0; i < count; ++i) {
        const int r = rows.appendRow();
        rows.setInt(r, 0, 100 + i);
        rows.setText(r, 1, QStringLiteral("Account %1").arg(i));
        rows.setMoney(r, 2, Money::fromCents(1000 * i));
        rows.setMoney(r, 3, Money::fromCents(-250 * i));
        rows.setMoney(r, 4, Money::fromCents(750 * i));
        rows.setText(r, 5, QStringLiteral("A"));
    }
    return rows;
}

} // namespace

TEST(RecordSet, FieldsMatchWithoutCaseTextsAreCutAndCopiesAreIndependent)
{
    RecordSet set = RecordSet(reportFields(TransactionListReport));
    EXPECT_EQ(set.fieldIndex(QStringLiteral("SNo")), 0);
    EXPECT_EQ(set.fieldIndex(QStringLiteral("to_acc")), 3);
    EXPECT_EQ(set.fieldIndex(QStringLiteral("Balance")), -1);
    const int r = set.addRecord();
    set.setText(r, 2, QString(50, u'x'));
    set.setText(r, 4, QStringLiteral("12.345 units"));
    EXPECT_EQ(set.text(r, 2).size(), 32);
    EXPECT_EQ(set.number(r, 4).cents(), 1235);
    EXPECT_EQ(set.text(r, 4), QStringLiteral("12.35"));
    EXPECT_TRUE(set.isNull(r, 5));

    RecordSet copy = set;
    set.setText(r, 2, QStringLiteral("changed"));
    set.addRecord();
    EXPECT_EQ(copy.recordCount(), 1);
    EXPECT_EQ(copy.text(0, 2), QString(32, u'x'));

    EXPECT_TRUE(reportFields(10).isEmpty());
    EXPECT_TRUE(reportFields(14).isEmpty());
}

TEST(TransactionListRecords, NamesBothSidesIncludingPartiesAndUnknownKeysPrintEmpty)
{
    const QHash<QString, QString> names{{QStringLiteral("A1"), QStringLiteral("CASH")},
                                        {QStringLiteral("A2"), QStringLiteral("SALES")},
                                        {QStringLiteral("P7"), QStringLiteral("Harlow Traders")}};
    const AccountNameLookup lookup = [&](const AccountKey &key) { return names.value(key.toText()); };
    RowArray rows = tranRows();
    addTran(rows, QStringLiteral("05/03/2006"), QStringLiteral("A1"), QStringLiteral("P7"), 12050,
            QStringLiteral(" rent "));
    addTran(rows, QStringLiteral("06/03/2006"), QStringLiteral("A99"), QStringLiteral("A2"), -300, QString());
    addTran(rows, QStringLiteral("07/03/2006"), QString(), QStringLiteral("P8"), 0, QStringLiteral("x"));

    const RecordSet set = transactionListRecords(rows, lookup, QStringLiteral("d/M/yyyy"));
    ASSERT_EQ(set.recordCount(), 3);
    EXPECT_EQ(set.integer(0, 0), 1);
    EXPECT_EQ(set.text(0, 1), QStringLiteral("05/03/2006"));
    EXPECT_EQ(set.text(0, 2), QStringLiteral("Harlow Traders")); // From: column 3
    EXPECT_EQ(set.text(0, 3), QStringLiteral("CASH")); // To: column 2
    EXPECT_EQ(set.number(0, 4).cents(), 12050);
    EXPECT_EQ(set.text(0, 5), QStringLiteral("rent"));
    EXPECT_EQ(set.text(1, 2), QStringLiteral("SALES"));
    EXPECT_EQ(set.text(1, 3), QString());
    EXPECT_EQ(set.number(1, 4).cents(), -300);
    EXPECT_EQ(set.text(2, 2), QString());
    EXPECT_EQ(set.text(2, 3), QString());
    EXPECT_EQ(set.parameters(), QStringList{QStringLiteral("All dates")}); // no dates searched
}

TEST(TransactionListRecords, FollowsTheGridOrderAfterASortAndPrintsTypedDatesInTheReportPattern)
{
    RowArray rows(
        {CellType::Int, CellType::Date, CellType::Key, CellType::Key, CellType::Money, CellType::Text, CellType::Text});
    const qint64 amounts[] = {300, 100, 200};
    for (int i = 0; i < 3; ++i) {
        const int r = rows.appendRow();
        rows.setDate(r, 1, QDate(2006, 3, 5 + i));
        rows.setMoney(r, 4, Money::fromCents(amounts[i]));
    }
    rows.sortRows(4, SortDirection::Ascending);
    const RecordSet set = transactionListRecords(rows, {}, QStringLiteral("M/d/yyyy"));
    ASSERT_EQ(set.recordCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(set.integer(r, 0), r + 1);
        EXPECT_EQ(set.number(r, 4).cents(), (r + 1) * 100);
    }
    EXPECT_EQ(set.text(0, 1), QStringLiteral("03/06/2006"));

    EXPECT_EQ(transactionListRecords(tranRows(), {}, QStringLiteral("d/M/yyyy")).recordCount(), 0);
}

TEST(AccountLedgerRecords, SplitsMovementsIntoCreditAndDebitAndFillsTheParametersWithSides)
{
    LedgerResult ledger;
    ledger.movements = {movement(QDate(2006, 3, 5), QStringLiteral("SALES [cash sale]"), 50000, 50000),
                        movement(QDate(2006, 3, 6), QStringLiteral("RENT [") + QString(80, u'r') + u']', -170050,
                                 -120050)};
    LedgerReportHeader header{QStringLiteral("  CASH  "), QDate(2006, 3, 1), QDate(2006, 3, 31), Money(),
                              Money::fromCents(-120050)};

    const RecordSet set = accountLedgerRecords(ledger, header, QStringLiteral("d/M/yyyy"));
    ASSERT_EQ(set.recordCount(), 2);
    EXPECT_EQ(set.integer(1, 0), 2);
    EXPECT_EQ(set.text(0, 1), QStringLiteral("05/03/2006"));
    EXPECT_EQ(set.number(0, set.fieldIndex(QStringLiteral("Credit"))).cents(), 50000);
    EXPECT_EQ(set.number(0, set.fieldIndex(QStringLiteral("Debit"))).cents(), 0);
    EXPECT_EQ(set.number(1, set.fieldIndex(QStringLiteral("Debit"))).cents(), 170050);
    EXPECT_EQ(set.number(1, set.fieldIndex(QStringLiteral("Credit"))).cents(), 0);
    EXPECT_EQ(set.number(1, set.fieldIndex(QStringLiteral("Balance"))).cents(), -120050);
    EXPECT_EQ(set.text(0, 2), QStringLiteral("By SALES [cash sale]"));
    EXPECT_EQ(set.text(1, 2), QStringLiteral("To RENT [") + QString(80, u'r') + u']'); // kept whole, to wrap
    EXPECT_TRUE(set.text(1, 2).startsWith(QLatin1String("To RENT [")));
    EXPECT_EQ(set.parameters(),
              (QStringList{QString(), QStringLiteral("CASH"), QStringLiteral("01/03/2006"),
                           QStringLiteral("31/03/2006"), QStringLiteral("0.00"), QStringLiteral("1200.50 Dr")}));

    const RecordSet monthFirst = accountLedgerRecords(LedgerResult(), header, QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(monthFirst.recordCount(), 0);
    EXPECT_EQ(monthFirst.parameters().value(2), QStringLiteral("03/01/2006"));
    EXPECT_EQ(monthFirst.parameters().value(5), QStringLiteral("1200.50 Dr"));
}

TEST(AccountSummaryRecords, SelectedRowsInSelectionOrderRenumberedOrEveryRow)
{
    RowArray rows = summaryRows(6);
    rows.setText(3, 1, QString(45, u'n'));

    const RecordSet picked = accountSummaryRecords(rows, {5, 2}, QDate(2024, 4, 1), QDate(2025, 3, 31),
                                                   QStringLiteral("d/M/yyyy"));
    ASSERT_EQ(picked.recordCount(), 2);
    EXPECT_EQ(picked.integer(0, 0), 1);
    EXPECT_EQ(picked.integer(1, 0), 2);
    EXPECT_EQ(picked.text(0, 1), QStringLiteral("Account 5"));
    EXPECT_EQ(picked.text(1, 1), QStringLiteral("Account 2"));
    EXPECT_EQ(picked.number(0, 2).cents(), 5000);
    EXPECT_EQ(picked.number(0, 3).cents(), -1250);
    EXPECT_EQ(picked.number(0, 4).cents(), 3750);
    EXPECT_EQ(picked.parameters(),
              (QStringList{QString(), QStringLiteral("01/04/2024"), QStringLiteral("31/03/2025")}));

    const RecordSet all = accountSummaryRecords(rows, {}, QDate(2024, 4, 1), QDate(2025, 3, 31),
                                                QStringLiteral("M/d/yyyy"));
    ASSERT_EQ(all.recordCount(), 6);
    EXPECT_EQ(all.integer(5, 0), 6);
    EXPECT_EQ(all.text(3, 1), QString(40, u'n'));
    EXPECT_EQ(all.parameters().value(1), QStringLiteral("04/01/2024"));

    EXPECT_EQ(accountSummaryRecords(rows, {9, -1}, {}, {}, {}).recordCount(), 0);
    EXPECT_EQ(accountSummaryRecords(summaryRows(0), {}, {}, {}, {}).recordCount(), 0);
}

TEST(AccountSummaryRecords, ReadsNumbersFromTextCells)
{
    RowArray rows(std::vector<CellType>(6, CellType::Text));
    const int r = rows.appendRow();
    rows.setText(r, 1, QStringLiteral("CASH"));
    rows.setText(r, 2, QStringLiteral("10.5"));
    rows.setText(r, 3, QStringLiteral("-3"));
    rows.setText(r, 4, QStringLiteral("7.50"));
    const RecordSet set = accountSummaryRecords(rows, {}, {}, {}, {});
    EXPECT_EQ(set.number(0, 2).cents(), 1050);
    EXPECT_EQ(set.number(0, 3).cents(), -300);
    EXPECT_EQ(set.number(0, 4).cents(), 750);
}
