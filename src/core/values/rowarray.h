#pragma once

#include "accountside.h"
#include "money.h"

#include <QDate>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <vector>

Q_DECLARE_METATYPE(bc::Money)

namespace bc {

// What a column of a row array holds. Numbers, amounts, dates and account
// keys are stored as one 64-bit number per cell, text as one string per cell,
// so a million-row grid costs tens of bytes per row rather than a heap object
// per cell.
enum class CellType { Int, Money, Date, Text, Key };

// An account key joins a side and an id: "A12" is account 12, "P3" party 3.
struct AccountKey {
    AccountSide side = AccountSide::None;
    qint64 id = 0;
    QString toText() const { return side == AccountSide::None ? QString() : sideLetter(side) + QString::number(id); }
    static AccountKey fromText(const QString &text);
    bool operator==(const AccountKey &) const = default;
};

// Whether a grid row holds changes its window has not saved yet, kept in an
// Int column of the row (its status column); an empty cell is unchanged.
enum class EditMark : qint64 { Unchanged = 0, Changed = 1 };

// The direction of a sort on one column of a grid.
enum class SortDirection { Ascending, Descending };

// The other direction: a header clicked again sorts the other way.
SortDirection toggled(SortDirection direction);

// The table of cells behind a grid: rows and columns numbered from 0, each
// cell empty (null) or holding a value of its column's type.
class RowArray {
public:
    RowArray() = default;
    explicit RowArray(std::vector<CellType> columnTypes);

    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_types.size()); }
    CellType columnType(int column) const { return m_types[size_t(column)]; }

    void clear();
    void reserve(int rows);
    int appendRow(); // a row of empty cells; returns its index
    void insertRow(int row);
    // Inserts the rows of other, an array with the same columns, before row.
    void insertRows(int row, const RowArray &other);
    // An array of no rows with the same columns.
    RowArray emptyCopy() const { return RowArray(m_types); }
    void removeRow(int row);
    // An array of the same columns holding a copy of one row.
    RowArray copyOfRow(int row) const;

    bool isNull(int row, int column) const;
    void setNull(int row, int column);

    // Typed access; reading an empty cell gives the type's zero value.
    qint64 intAt(int row, int column) const;
    Money moneyAt(int row, int column) const { return Money::fromCents(intAt(row, column)); }
    QDate dateAt(int row, int column) const;
    QString textAt(int row, int column) const; // any column as text ("" when empty)
    AccountKey keyAt(int row, int column) const;

    void setInt(int row, int column, qint64 value);
    void setMoney(int row, int column, Money value) { setInt(row, column, value.cents()); }
    void setDate(int row, int column, const QDate &value);
    void setText(int row, int column, const QString &value);
    void setKey(int row, int column, const AccountKey &key);
    EditMark editMarkAt(int row, int column) const { return EditMark(intAt(row, column)); }
    void setEditMark(int row, int column, EditMark mark) { setInt(row, column, qint64(mark)); }

    // Generic access for models and delegates: Int as qlonglong, Money as
    // bc::Money, Date as QDate, Text and Key as QString; an invalid QVariant
    // for an empty cell. setCell converts and empties the cell when the value
    // cannot be converted.
    QVariant cell(int row, int column) const;
    void setCell(int row, int column, const QVariant &value);

    // Sorts whole rows on one column. Numbers compare by value and text by
    // character codes; empty cells stay after the others.
    void sortRows(int column, SortDirection direction);
    // The rows' positions in the order sortRows would put them in, so that
    // values kept beside the array can follow the same sort.
    std::vector<int> sortedOrder(int column, SortDirection direction) const;

    // Approximate bytes held per row, for the benchmark of large grids.
    size_t bytesPerRow() const;

private:
    struct Column {
        CellType type;
        std::vector<qint64> numbers;
        std::vector<QString> texts;
        std::vector<bool> nulls;
    };
    std::vector<CellType> m_types;
    std::vector<Column> m_columns;
    int m_rows = 0;

    void checkCell(int row, int column) const;
};

} // namespace bc
