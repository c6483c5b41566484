#include "rowarray.h"

#include <gtest/gtest.h>

using namespace bc;

namespace {

RowArray sample()
{
    RowArray rows({CellType::Int, CellType::Text, CellType::Money, CellType::Date, CellType::Key});
    const int values[] = {3, 1, 2};
    for (int v : values) {
        const int r = rows.appendRow();
        rows.setInt(r, 0, v);
        rows.setText(r, 1, QStringLiteral("name%1").arg(v));
        rows.setMoney(r, 2, Money::fromCents(v * 100));
        rows.setDate(r, 3, QDate(2024, 1, v));
        rows.setKey(r, 4, {AccountSide::Account, v * 10});
    }
    return rows;
}

QList<qint64> column0(const RowArray &rows)
{
    QList<qint64> out;
    for (int r = 0; r < rows.rowCount(); ++r)
        out << rows.intAt(r, 0);
    return out;
}

} // namespace

TEST(SortRows, AscendingDescendingAndWholeRowsMove)
{
    RowArray rows = sample();
    rows.sortRows(0, SortDirection::Ascending);
    EXPECT_EQ(column0(rows), (QList<qint64>{1, 2, 3}));
    EXPECT_EQ(rows.textAt(0, 1), QStringLiteral("name1"));
    EXPECT_EQ(rows.moneyAt(0, 2).cents(), 100);
    EXPECT_EQ(rows.dateAt(0, 3), QDate(2024, 1, 1));
    EXPECT_EQ(rows.keyAt(0, 4).toText(), QStringLiteral("A10"));
    rows.sortRows(0, SortDirection::Descending);
    EXPECT_EQ(column0(rows), (QList<qint64>{3, 2, 1}));
    rows.sortRows(2, SortDirection::Ascending);
    EXPECT_EQ(column0(rows), (QList<qint64>{1, 2, 3}));
    rows.sortRows(3, SortDirection::Descending);
    EXPECT_EQ(column0(rows), (QList<qint64>{3, 2, 1}));
}

TEST(SortRows, TextByCharacterCodesEmptyCellsLast)
{
    RowArray rows({CellType::Text, CellType::Key});
    for (const char *t : {"b", "", "B", "a"}) {
        const int r = rows.appendRow();
        if (*t)
            rows.setText(r, 0, QLatin1String(t));
    }
    rows.sortRows(0, SortDirection::Ascending);
    EXPECT_EQ(rows.textAt(0, 0), QStringLiteral("B")); // upper case sorts before lower
    EXPECT_EQ(rows.textAt(1, 0), QStringLiteral("a"));
    EXPECT_EQ(rows.textAt(2, 0), QStringLiteral("b"));
    EXPECT_TRUE(rows.isNull(3, 0));
    rows.sortRows(0, SortDirection::Descending);
    EXPECT_EQ(rows.textAt(0, 0), QStringLiteral("b"));
    EXPECT_TRUE(rows.isNull(3, 0));
    // Account keys sort as their text.
    rows.setKey(0, 1, {AccountSide::Account, 9});
    rows.setKey(1, 1, {AccountSide::Account, 12});
    rows.setKey(2, 1, {AccountSide::Party, 1});
    rows.sortRows(1, SortDirection::Ascending);
    EXPECT_EQ(rows.textAt(0, 1), QStringLiteral("A12"));
    EXPECT_EQ(rows.textAt(1, 1), QStringLiteral("A9"));
    EXPECT_EQ(rows.textAt(2, 1), QStringLiteral("P1"));
}

TEST(RowArray, CellsConvertAndEmptyOnBadInput)
{
    RowArray rows({CellType::Int, CellType::Money, CellType::Date, CellType::Key, CellType::Text});
    rows.appendRow();
    for (int c = 0; c < 5; ++c)
        EXPECT_TRUE(rows.isNull(0, c));
    rows.setCell(0, 1, QStringLiteral("12.345"));
    EXPECT_EQ(rows.moneyAt(0, 1).cents(), 1235);
    rows.setCell(0, 1, QStringLiteral("abc"));
    EXPECT_TRUE(rows.isNull(0, 1));
    rows.setCell(0, 2, QDate(2024, 2, 29));
    EXPECT_EQ(rows.cell(0, 2).toDate(), QDate(2024, 2, 29));
    rows.setCell(0, 3, QStringLiteral("P42"));
    EXPECT_EQ(rows.keyAt(0, 3), (AccountKey{AccountSide::Party, 42}));
    rows.setCell(0, 3, QStringLiteral("42"));
    EXPECT_TRUE(rows.isNull(0, 3));
    rows.setCell(0, 0, QStringLiteral("x"));
    EXPECT_TRUE(rows.isNull(0, 0));
    rows.setCell(0, 4, QString());
    EXPECT_FALSE(rows.isNull(0, 4)); // an empty text is a value, unlike Null
    rows.insertRow(0);
    EXPECT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.cell(1, 2).toDate(), QDate(2024, 2, 29));
    rows.removeRow(0);
    EXPECT_EQ(rows.rowCount(), 1);
    EXPECT_THROW(rows.cell(5, 0), std::out_of_range);
}

TEST(RowArray, HoldsAMillionRowsCompactly)
{
    RowArray rows(
        {CellType::Int, CellType::Date, CellType::Key, CellType::Key, CellType::Money, CellType::Text, CellType::Text});
    rows.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) {
        const int r = rows.appendRow();
        rows.setInt(r, 0, i);
        rows.setDate(r, 1, QDate(2024, 1, 1).addDays(i % 1000));
        rows.setKey(r, 2, {AccountSide::Account, i % 1000});
        rows.setKey(r, 3, {AccountSide::Account, (i + 1) % 1000});
        rows.setMoney(r, 4, Money::fromCents(i));
        rows.setText(r, 5, QStringLiteral("rent"));
    }
    EXPECT_EQ(rows.rowCount(), 1000000);
    EXPECT_EQ(rows.intAt(999999, 0), 999999);
    EXPECT_LT(rows.bytesPerRow(), 200u);
}
