#include "recordsets.h"

#include "balancetext.h"
#include "dates.h"

#include <algorithm>

namespace bc {

namespace {

CellType cellTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::Integer: return CellType::Int;
    case FieldType::Number: return CellType::Money;
    case FieldType::Text: return CellType::Text;
    }
    return CellType::Text;
}

std::vector<CellType> cellTypes(const QList<RecordField> &fields)
{
    std::vector<CellType> types;
    for (const RecordField &f : fields)
        types.push_back(cellTypeOf(f.type));
    return types;
}

// A whole number of currency units as an amount, held to the largest amount
// the program handles so the conversion cannot overflow.
Money wholeUnits(qint64 units)
{
    const qint64 limit = Money::MaxCents / 100;
    return Money::fromCents(std::clamp(units, -limit, limit) * 100);
}

// A grid cell as the text the grid shows, trimmed: dates in the report date
// pattern, everything else as stored.
QString shownText(const RowArray &rows, int row, int column, const QString &dateFormat)
{
    if (column >= rows.columnCount() || rows.isNull(row, column))
        return QString();
    if (rows.columnType(column) == CellType::Date)
        return formatReportDate(rows.dateAt(row, column), dateFormat);
    return rows.textAt(row, column).trimmed();
}

// A grid cell as an amount: amounts as they are, whole numbers as whole
// units, and texts by the number they begin with, so "1200.50  (Debit)" reads
// 1200.50 and an empty cell 0.
Money shownNumber(const RowArray &rows, int row, int column)
{
    if (column >= rows.columnCount() || rows.isNull(row, column))
        return Money();
    switch (rows.columnType(column)) {
    case CellType::Money: return rows.moneyAt(row, column);
    case CellType::Int: return wholeUnits(rows.intAt(row, column));
    case CellType::Date: return Money();
    case CellType::Text:
    case CellType::Key: return Money::leadingNumber(rows.textAt(row, column));
    }
    return Money();
}

RecordSet reportRecordSet(int reportType)
{
    return RecordSet(reportFields(reportType));
}

} // namespace

RecordSet::RecordSet(QList<RecordField> fields)
    : m_fields(std::move(fields))
    , m_rows(cellTypes(m_fields))
{
}

int RecordSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fieldCount(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int RecordSet::addRecord()
{
    return m_rows.appendRow();
}

void RecordSet::setInteger(int record, int field, qint64 value)
{
    switch (m_fields.at(field).type) {
    case FieldType::Integer: m_rows.setInt(record, field, value); return;
    case FieldType::Number: m_rows.setMoney(record, field, wholeUnits(value)); return;
    case FieldType::Text: setText(record, field, QString::number(value)); return;
    }
}

void RecordSet::setNumber(int record, int field, Money value)
{
    switch (m_fields.at(field).type) {
    case FieldType::Integer: m_rows.setInt(record, field, value.cents() / 100); return;
    case FieldType::Number: m_rows.setMoney(record, field, value); return;
    case FieldType::Text: setText(record, field, value.toPlain()); return;
    }
}

void RecordSet::setText(int record, int field, const QString &value)
{
    const RecordField &f = m_fields.at(field);
    switch (f.type) {
    case FieldType::Integer: m_rows.setInt(record, field, Money::leadingNumber(value).cents() / 100); return;
    case FieldType::Number: m_rows.setMoney(record, field, Money::leadingNumber(value)); return;
    case FieldType::Text: m_rows.setText(record, field, f.size > 0 ? value.left(f.size) : value); return;
    }
}

qint64 RecordSet::integer(int record, int field) const
{
    return m_fields.at(field).type == FieldType::Integer ? m_rows.intAt(record, field)
                                                         : number(record, field).cents() / 100;
}

Money RecordSet::number(int record, int field) const
{
    switch (m_fields.at(field).type) {
    case FieldType::Integer: return wholeUnits(m_rows.intAt(record, field));
    case FieldType::Number: return m_rows.moneyAt(record, field);
    case FieldType::Text: return Money::leadingNumber(m_rows.textAt(record, field));
    }
    return Money();
}

QString RecordSet::text(int record, int field) const
{
    return m_rows.textAt(record, field);
}

QList<RecordField> reportFields(int reportType)
{
    using T = FieldType;
    switch (reportType) {
    case TransactionListReport:
        return {{QStringLiteral("Sno"), T::Integer, 0},    {QStringLiteral("Tran_Date"), T::Text, 10},
                {QStringLiteral("From_Acc"), T::Text, 32}, {QStringLiteral("To_Acc"), T::Text, 32},
                {QStringLiteral("Amount"), T::Number, 0},  {QStringLiteral("Particulars"), T::Text, 0}};
    case AccountLedgerReport:
        return {{QStringLiteral("Sno"), T::Integer, 0},      {QStringLiteral("Date"), T::Text, 10},
                {QStringLiteral("Particulars"), T::Text, 0}, {QStringLiteral("Credit"), T::Number, 0},
                {QStringLiteral("Debit"), T::Number, 0},     {QStringLiteral("Balance"), T::Number, 0}};
    case AccountSummaryReport:
        return {{QStringLiteral("Sno"), T::Integer, 0},
                {QStringLiteral("Acc_Name"), T::Text, 40},
                {QStringLiteral("Open_Amount"), T::Number, 0},
                {QStringLiteral("Tran_Amount"), T::Number, 0},
                {QStringLiteral("Bal_Amount"), T::Number, 0}};
    default: return {};
    }
}

RecordSet transactionListRecords(const RowArray &tranRows, const AccountNameLookup &accountName,
                                 const QString &dateFormat, const QDate &fromDate, const QDate &toDate)
{
    RecordSet set = reportRecordSet(TransactionListReport);
    const auto nameOf = [&](int row, int column) {
        const AccountKey key = AccountKey::fromText(shownText(tranRows, row, column, dateFormat));
        return key.side == AccountSide::None || !accountName ? QString() : accountName(key).trimmed();
    };
    for (int r = 0; r < tranRows.rowCount(); ++r) {
        const int rec = set.addRecord();
        set.setInteger(rec, 0, r + 1);
        set.setText(rec, 1, shownText(tranRows, r, 1, dateFormat));
        set.setText(rec, 2, nameOf(r, 3));
        set.setText(rec, 3, nameOf(r, 2));
        set.setNumber(rec, 4, shownNumber(tranRows, r, 4));
        set.setText(rec, 5, shownText(tranRows, r, 5, dateFormat));
    }
    if (fromDate.isValid() && toDate.isValid())
        set.setParameters({formatReportDate(fromDate, dateFormat), formatReportDate(toDate, dateFormat)});
    else
        set.setParameters({QStringLiteral("All dates")});
    return set;
}

RecordSet accountLedgerRecords(const LedgerResult &ledger, const LedgerReportHeader &header, const QString &dateFormat)
{
    RecordSet set = reportRecordSet(AccountLedgerReport);
    for (const LedgerMovement &m : ledger.movements) {
        const int rec = set.addRecord();
        const bool debit = m.amount.isNegative();
        set.setInteger(rec, 0, rec + 1);
        set.setText(rec, 1, formatReportDate(m.date, dateFormat));
        set.setText(rec, 2, ledgerParticulars(m).trimmed());
        set.setNumber(rec, 3, debit ? Money() : m.amount);
        set.setNumber(rec, 4, debit ? m.amount.abs() : Money());
        set.setNumber(rec, 5, m.balance);
    }
    set.setParameters({QString(), header.account.trimmed(), formatReportDate(header.fromDate, dateFormat),
                       formatReportDate(header.toDate, dateFormat),
                       printedBalance(header.openingBalance, ZeroSide::None),
                       printedBalance(header.closingBalance, ZeroSide::None)});
    return set;
}

RecordSet accountSummaryRecords(const RowArray &summaryRows, const QList<int> &selectedRows, const QDate &fromDate,
                                const QDate &toDate, const QString &dateFormat)
{
    RecordSet set = reportRecordSet(AccountSummaryReport);
    QList<int> rows;
    for (int r : selectedRows)
        if (r >= 0 && r < summaryRows.rowCount())
            rows << r;
    if (selectedRows.isEmpty())
        for (int r = 0; r < summaryRows.rowCount(); ++r)
            rows << r;
    for (int r : rows) {
        const int rec = set.addRecord();
        set.setInteger(rec, 0, rec + 1);
        set.setText(rec, 1, shownText(summaryRows, r, 1, dateFormat));
        set.setNumber(rec, 2, shownNumber(summaryRows, r, 2));
        set.setNumber(rec, 3, shownNumber(summaryRows, r, 3));
        set.setNumber(rec, 4, shownNumber(summaryRows, r, 4));
    }
    set.setParameters({QString(), formatReportDate(fromDate, dateFormat), formatReportDate(toDate, dateFormat)});
    return set;
}

} // namespace bc
