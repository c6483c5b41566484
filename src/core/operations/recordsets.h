#pragma once

#include "ledger.h"
#include "rowarray.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace bc {

// The printed reports, by the numbers the screens hand to the report viewer.
enum ReportType : int { TransactionListReport = 11, AccountLedgerReport = 12, AccountSummaryReport = 13 };

// What a record set field holds: a whole number, a text of at most `size`
// characters, or an amount kept in exact cents.
enum class FieldType { Integer, Text, Number };

struct RecordField {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // characters a text field holds; 0 for no limit
};

// A detached table of records with named, typed fields, plus the parameter
// texts of the report it is printed with. It is a plain value: copying it
// gives an independent set, so the report viewer can keep its own copy after
// the screen that built it has moved on.
class RecordSet {
public:
    RecordSet() = default;
    explicit RecordSet(QList<RecordField> fields);

    const QList<RecordField> &fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    // The field's position, matched without regard to case; -1 when absent.
    int fieldIndex(const QString &name) const;

    int recordCount() const { return m_rows.rowCount(); }
    int addRecord(); // a record of empty fields; returns its index

    // Setters cut a text to its field's size. A value of the wrong kind is
    // converted: a text read as a number takes its leading number.
    void setInteger(int record, int field, qint64 value);
    void setNumber(int record, int field, Money value);
    void setText(int record, int field, const QString &value);

    bool isNull(int record, int field) const { return m_rows.isNull(record, field); }
    qint64 integer(int record, int field) const;
    Money number(int record, int field) const;
    QString text(int record, int field) const; // numbers as "#0.00", integers plainly

    const QStringList &parameters() const { return m_parameters; }
    void setParameters(const QStringList &values) { m_parameters = values; }

private:
    QList<RecordField> m_fields;
    RowArray m_rows;
    QStringList m_parameters;
};

// The fields each printed report reads, in their defined order; empty for a
// number that is not a report.
QList<RecordField> reportFields(int reportType);

// Looks up the display name of an account key ("A12", "P3"); empty text when
// the key names nothing.
using AccountNameLookup = std::function<QString(const AccountKey &)>;

// The transaction list: one record per grid row, in grid order, numbered from
// 1. The grid's columns are 1 date, 2 To key, 3 From key, 4 amount and
// 5 particulars; date cells are printed in the report date pattern of
// dateFormat, keys as the names the lookup gives. The period printed above
// the rows is fromDate to toDate, or "All dates" when the search had none.
// Particulars are kept whole, for the report to wrap.
RecordSet transactionListRecords(const RowArray &tranRows, const AccountNameLookup &accountName,
                                 const QString &dateFormat, const QDate &fromDate = {}, const QDate &toDate = {});

// The values printed above the ledger: the account as shown in its box, the
// date range, and the opening and closing balances the boxes show.
struct LedgerReportHeader {
    QString account;
    QDate fromDate;
    QDate toDate;
    Money openingBalance;
    Money closingBalance;
};

// The account ledger: one record per movement, numbered from 1: the date in
// the report date pattern, the particulars with "By " or "To ", the credit or
// the debit magnitude (the other 0), and the running balance signed by its
// side. The opening and closing parameters are printed with their sides
// ("250.00 Dr").
RecordSet accountLedgerRecords(const LedgerResult &ledger, const LedgerReportHeader &header, const QString &dateFormat);

// The account summary: the selected rows in the order they were selected, or
// every row when none is, numbered from 1. The rows' columns are 1 name,
// 2 opening, 3 movement and 4 balance. Selected row numbers outside the rows
// are skipped.
RecordSet accountSummaryRecords(const RowArray &summaryRows, const QList<int> &selectedRows, const QDate &fromDate,
                                const QDate &toDate, const QString &dateFormat);

} // namespace bc
