#include "rowarray.h"

#include "dates.h"

#include <QtGlobal>
#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace bc {

namespace {

bool isNumeric(CellType t)
{
    return t == CellType::Int || t == CellType::Money || t == CellType::Date;
}

// Account keys pack the side's letter into the high bits above a 32-bit id.
qint64 packKey(const AccountKey &key)
{
    if (key.side == AccountSide::None)
        return 0;
    return (qint64(char16_t(key.side)) << 32) | (quint32(key.id) & 0xFFFFFFFFu);
}

AccountKey unpackKey(qint64 packed)
{
    if (packed == 0)
        return {};
    return {AccountSide(char16_t(packed >> 32)), qint64(quint32(packed & 0xFFFFFFFF))};
}

} // namespace

AccountKey AccountKey::fromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 2 || !t[0].isLetter())
        return {};
    bool ok = false;
    const qint64 id = t.mid(1).toLongLong(&ok);
    if (!ok || id < 0 || id > 0xFFFFFFFFLL)
        return {};
    return {sideOfLetter(t[0]), id};
}

RowArray::RowArray(std::vector<CellType> columnTypes)
    : m_types(std::move(columnTypes))
{
    for (CellType t : m_types)
        m_columns.push_back(Column{t, {}, {}, {}});
}

void RowArray::checkCell(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= columnCount())
        throw std::out_of_range("row array cell out of range");
}

void RowArray::clear()
{
    for (Column &c : m_columns) {
        c.numbers.clear();
        c.texts.clear();
        c.nulls.clear();
        c.numbers.shrink_to_fit();
        c.texts.shrink_to_fit();
    }
    m_rows = 0;
}

void RowArray::reserve(int rows)
{
    for (Column &c : m_columns) {
        if (c.type == CellType::Text)
            c.texts.reserve(size_t(rows));
        else
            c.numbers.reserve(size_t(rows));
        c.nulls.reserve(size_t(rows));
    }
}

int RowArray::appendRow()
{
    insertRow(m_rows);
    return m_rows - 1;
}

void RowArray::insertRow(int row)
{
    if (row < 0 || row > m_rows)
        throw std::out_of_range("row array insert out of range");
    for (Column &c : m_columns) {
        if (c.type == CellType::Text)
            c.texts.insert(c.texts.begin() + row, QString());
        else
            c.numbers.insert(c.numbers.begin() + row, 0);
        c.nulls.insert(c.nulls.begin() + row, true);
    }
    ++m_rows;
}

void RowArray::insertRows(int row, const RowArray &other)
{
    if (row < 0 || row > m_rows)
        throw std::out_of_range("row array insert out of range");
    if (other.m_types != m_types)
        throw std::invalid_argument("row arrays with different columns");
    for (size_t i = 0; i < m_columns.size(); ++i) {
        Column &c = m_columns[i];
        const Column &o = other.m_columns[i];
        if (c.type == CellType::Text)
            c.texts.insert(c.texts.begin() + row, o.texts.begin(), o.texts.end());
        else
            c.numbers.insert(c.numbers.begin() + row, o.numbers.begin(), o.numbers.end());
        c.nulls.insert(c.nulls.begin() + row, o.nulls.begin(), o.nulls.end());
    }
    m_rows += other.m_rows;
}

void RowArray::removeRow(int row)
{
    checkCell(row, 0);
    for (Column &c : m_columns) {
        if (c.type == CellType::Text)
            c.texts.erase(c.texts.begin() + row);
        else
            c.numbers.erase(c.numbers.begin() + row);
        c.nulls.erase(c.nulls.begin() + row);
    }
    --m_rows;
}

RowArray RowArray::copyOfRow(int row) const
{
    checkCell(row, 0);
    RowArray copy(m_types);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column &from = m_columns[i];
        Column &to = copy.m_columns[i];
        if (from.type == CellType::Text)
            to.texts.push_back(from.texts[size_t(row)]);
        else
            to.numbers.push_back(from.numbers[size_t(row)]);
        to.nulls.push_back(from.nulls[size_t(row)]);
    }
    copy.m_rows = 1;
    return copy;
}

bool RowArray::isNull(int row, int column) const
{
    checkCell(row, column);
    return m_columns[size_t(column)].nulls[size_t(row)];
}

void RowArray::setNull(int row, int column)
{
    checkCell(row, column);
    Column &c = m_columns[size_t(column)];
    c.nulls[size_t(row)] = true;
    if (c.type == CellType::Text)
        c.texts[size_t(row)] = QString();
    else
        c.numbers[size_t(row)] = 0;
}

qint64 RowArray::intAt(int row, int column) const
{
    checkCell(row, column);
    const Column &c = m_columns[size_t(column)];
    return c.type == CellType::Text ? c.texts[size_t(row)].toLongLong() : c.numbers[size_t(row)];
}

QDate RowArray::dateAt(int row, int column) const
{
    if (isNull(row, column) || columnType(column) != CellType::Date)
        return {};
    return QDate::fromJulianDay(intAt(row, column));
}

AccountKey RowArray::keyAt(int row, int column) const
{
    if (isNull(row, column))
        return {};
    if (columnType(column) == CellType::Text)
        return AccountKey::fromText(textAt(row, column));
    return unpackKey(intAt(row, column));
}

QString RowArray::textAt(int row, int column) const
{
    if (isNull(row, column))
        return QString();
    const Column &c = m_columns[size_t(column)];
    switch (c.type) {
    case CellType::Text: return c.texts[size_t(row)];
    case CellType::Int: return QString::number(c.numbers[size_t(row)]);
    case CellType::Money: return Money::fromCents(c.numbers[size_t(row)]).toPlain();
    case CellType::Date: return isoDate(dateAt(row, column));
    case CellType::Key: return unpackKey(c.numbers[size_t(row)]).toText();
    }
    return QString();
}

void RowArray::setInt(int row, int column, qint64 value)
{
    checkCell(row, column);
    Column &c = m_columns[size_t(column)];
    if (c.type == CellType::Text)
        c.texts[size_t(row)] = QString::number(value);
    else
        c.numbers[size_t(row)] = value;
    c.nulls[size_t(row)] = false;
}

void RowArray::setDate(int row, int column, const QDate &value)
{
    if (!value.isValid()) {
        setNull(row, column);
        return;
    }
    if (columnType(column) == CellType::Text)
        setText(row, column, isoDate(value));
    else
        setInt(row, column, value.toJulianDay());
}

void RowArray::setText(int row, int column, const QString &value)
{
    checkCell(row, column);
    Column &c = m_columns[size_t(column)];
    switch (c.type) {
    case CellType::Text:
        c.texts[size_t(row)] = value;
        c.nulls[size_t(row)] = false;
        return;
    case CellType::Key: setKey(row, column, AccountKey::fromText(value)); return;
    case CellType::Date: setDate(row, column, fromIsoDate(value)); return;
    case CellType::Money:
        if (const auto m = Money::parse(value))
            setMoney(row, column, *m);
        else
            setNull(row, column);
        return;
    case CellType::Int: {
        bool ok = false;
        const qint64 v = value.trimmed().toLongLong(&ok);
        if (ok)
            setInt(row, column, v);
        else
            setNull(row, column);
        return;
    }
    }
}

void RowArray::setKey(int row, int column, const AccountKey &key)
{
    if (key.side == AccountSide::None) {
        setNull(row, column);
        return;
    }
    if (columnType(column) == CellType::Text)
        setText(row, column, key.toText());
    else
        setInt(row, column, packKey(key));
}

QVariant RowArray::cell(int row, int column) const
{
    if (isNull(row, column))
        return {};
    switch (columnType(column)) {
    case CellType::Int: return QVariant(qlonglong(intAt(row, column)));
    case CellType::Money: return QVariant::fromValue(moneyAt(row, column));
    case CellType::Date: return QVariant(dateAt(row, column));
    case CellType::Text:
    case CellType::Key: return QVariant(textAt(row, column));
    }
    return {};
}

void RowArray::setCell(int row, int column, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        setNull(row, column);
        return;
    }
    switch (columnType(column)) {
    case CellType::Money:
        if (value.metaType() == QMetaType::fromType<Money>())
            setMoney(row, column, value.value<Money>());
        else
            setText(row, column, value.toString());
        return;
    case CellType::Date:
        if (value.metaType().id() == QMetaType::QDate)
            setDate(row, column, value.toDate());
        else
            setText(row, column, value.toString());
        return;
    default: setText(row, column, value.toString()); return;
    }
}

SortDirection toggled(SortDirection direction)
{
    return direction == SortDirection::Ascending ? SortDirection::Descending : SortDirection::Ascending;
}

std::vector<int> RowArray::sortedOrder(int column, SortDirection direction) const
{
    std::vector<int> order(static_cast<size_t>(m_rows));
    std::iota(order.begin(), order.end(), 0);
    if (column < 0 || column >= columnCount() || m_rows < 2)
        return order;
    const Column &key = m_columns[size_t(column)];
    const bool descending = direction == SortDirection::Descending;
    const bool numeric = isNumeric(key.type);
    std::vector<QString> keyTexts;
    if (key.type == CellType::Key) {
        keyTexts.reserve(size_t(m_rows));
        for (int r = 0; r < m_rows; ++r)
            keyTexts.push_back(textAt(r, column));
    }
    auto less = [&](int a, int b) {
        const bool na = key.nulls[size_t(a)], nb = key.nulls[size_t(b)];
        if (na || nb)
            return !na && nb; // empty cells go last
        int cmp;
        if (numeric) {
            const qint64 x = key.numbers[size_t(a)], y = key.numbers[size_t(b)];
            cmp = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            const QString &x = key.type == CellType::Key ? keyTexts[size_t(a)] : key.texts[size_t(a)];
            const QString &y = key.type == CellType::Key ? keyTexts[size_t(b)] : key.texts[size_t(b)];
            cmp = x.compare(y, Qt::CaseSensitive);
        }
        return descending ? cmp > 0 : cmp < 0;
    };
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

void RowArray::sortRows(int column, SortDirection direction)
{
    if (column < 0 || column >= columnCount() || m_rows < 2)
        return;
    const std::vector<int> order = sortedOrder(column, direction);
    for (Column &c : m_columns) {
        if (c.type == CellType::Text) {
            std::vector<QString> sorted;
            sorted.reserve(c.texts.size());
            for (int i : order)
                sorted.push_back(std::move(c.texts[size_t(i)]));
            c.texts = std::move(sorted);
        } else {
            std::vector<qint64> sorted;
            sorted.reserve(c.numbers.size());
            for (int i : order)
                sorted.push_back(c.numbers[size_t(i)]);
            c.numbers = std::move(sorted);
        }
        std::vector<bool> nulls;
        nulls.reserve(c.nulls.size());
        for (int i : order)
            nulls.push_back(c.nulls[size_t(i)]);
        c.nulls = std::move(nulls);
    }
}

size_t RowArray::bytesPerRow() const
{
    size_t bytes = 0;
    for (const Column &c : m_columns) {
        bytes += c.type == CellType::Text ? sizeof(QString) : sizeof(qint64);
        bytes += 1; // the null flag, rounded up
        if (c.type == CellType::Text && m_rows > 0) {
            size_t heap = 0;
            for (const QString &s : c.texts)
                if (!s.isEmpty())
                    heap += 16 + size_t(s.capacity()) * 2; // header plus UTF-16 data
            bytes += heap / size_t(m_rows);
        }
    }
    return bytes;
}

} // namespace bc
