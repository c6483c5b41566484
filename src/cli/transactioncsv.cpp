#include "transactioncsv.h"

#include "bookaccess.h"
#include "clierror.h"
#include "datepattern.h"
#include "dates.h"
#include "importheader.h"
#include "texttable.h"
#include "transactions.h"

#include <QDateTime>

namespace bc::cli {

namespace {

QDate readDate(const QString &text, const QString &pattern)
{
    if (pattern.isEmpty())
        return fromIsoDate(text.trimmed());
    if (pattern == QLatin1String(DayFirstFormat) || pattern == QLatin1String(MonthFirstFormat))
        return parseUserDate(text, pattern);
    return parseDateByPattern(text, pattern);
}

// A side named in the file: empty stays empty (the row check refuses it);
// a name that is no account is refused here, as the window's lists offer
// only the book's accounts.
AccountKey sideKey(const AccountDirectory &directory, const QString &name, const CsvRecord &record)
{
    if (name.trimmed().isEmpty())
        return {};
    const auto id = directory.find(name);
    if (!id)
        throw refusal(QStringLiteral("line %1: there is no account named \"%2\"").arg(record.line).arg(name));
    return {u'A', *id};
}

// The window's row message without its first line, which numbers the row
// as the grid does; the tool names the file's line instead.
QString reasonOf(const QString &message)
{
    const qsizetype firstBreak = message.indexOf(QStringLiteral("\r\n"));
    return oneLine(firstBreak < 0 ? message : message.mid(firstBreak + 2));
}

} // namespace

TextTable transactionExportTable(const Book &book)
{
    TextTable table({{QStringLiteral("date"), QStringLiteral("Date")},
                     {QStringLiteral("from"), QStringLiteral("From")},
                     {QStringLiteral("to"), QStringLiteral("To")},
                     {QStringLiteral("amount"), QStringLiteral("Amount"), true},
                     {QStringLiteral("particulars"), QStringLiteral("Particulars")}});
    const AccountDirectory directory(book);
    const TranFindResult found = findTransactions(book, TranSearch());
    const RowArray &rows = found.rows;
    for (int r = 0; r < rows.rowCount(); ++r)
        table.addRow({isoDate(rows.dateAt(r, TranCol::Date)), directory.nameOf(rows.keyAt(r, TranCol::From)),
                      directory.nameOf(rows.keyAt(r, TranCol::To)),
                      rows.isNull(r, TranCol::Amount) ? QString() : rows.moneyAt(r, TranCol::Amount).toPlain(),
                      rows.textAt(r, TranCol::Particulars)});
    return table;
}

void importTransactions(Book &book, const QList<CsvRecord> &records, const TransactionCsvFormat &format,
                        const ImportProgress &progress)
{
    const ImportHeader header(records,
                              {QStringLiteral("date"), QStringLiteral("from"), QStringLiteral("to"),
                               QStringLiteral("amount"), QStringLiteral("particulars")});
    const AccountDirectory directory(book);
    RowArray rows = makeTranRows();
    rows.reserve(int(qMin<qsizetype>(records.size(), INT_MAX)));
    const int total = int(records.size()) - 1;
    for (int i = 1; i < records.size(); ++i) {
        const CsvRecord &record = records[i];
        const QStringList cells = header.cells(record);
        const int r = rows.appendRow();
        rows.setInt(r, TranCol::Id, 0);
        rows.setDate(r, TranCol::Date, readDate(cells[0], format.datePattern));
        rows.setKey(r, TranCol::From, sideKey(directory, cells[1], record));
        rows.setKey(r, TranCol::To, sideKey(directory, cells[2], record));
        if (!cells[3].trimmed().isEmpty()) {
            const auto amount = parseAmountText(cells[3], format.amounts);
            if (!amount)
                throw refusal(
                    QStringLiteral("line %1: the amount \"%2\" is not an amount").arg(record.line).arg(cells[3]));
            rows.setMoney(r, TranCol::Amount, *amount);
        }
        rows.setText(r, TranCol::Particulars, cells[4]);
        rows.setEditMark(r, TranCol::Status, EditMark::Changed);
        // Checked here too, so the first refused record in the file is the
        // one reported, whichever check refuses it.
        if (const QString problem = ValidateRow(rows, r); !problem.isEmpty())
            throw refusal(QStringLiteral("line %1: %2").arg(record.line).arg(reasonOf(problem)));
        if (progress)
            progress(i, total);
    }

    const TranSaveResult saved = saveTransactions(book, rows, QDateTime::currentDateTime());
    if (saved.ok())
        return;
    if (saved.refusedRow >= 0 && saved.refusedRow < total)
        throw refusal(QStringLiteral("line %1: %2").arg(records[saved.refusedRow + 1].line).arg(reasonOf(saved.text)));
    throw refusal(withDetail(oneLine(saved.text), saved.detail));
}

} // namespace bc::cli
