#include "transactioncsv.h"

#include "bookaccess.h"
#include "clierror.h"
#include "datepattern.h"
#include "dates.h"
#include "importheader.h"
#include "texttable.h"
#include "transactions.h"
#include "tranwriter.h"

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

// The date and the amount of a record, read from the file's text into row
// r; an amount that cannot be read is refused naming the record's line.
void readDateAndAmount(RowArray &rows, int r, const QStringList &cells, const TransactionCsvFormat &format,
                       const CsvRecord &record)
{
    rows.setDate(r, TranCol::Date, readDate(cells[0], format.datePattern));
    if (cells[3].trimmed().isEmpty())
        return;
    const auto amount = parseAmountText(cells[3], format.amounts);
    if (!amount)
        throw refusal(QStringLiteral("line %1: the amount \"%2\" is not an amount").arg(record.line).arg(cells[3]));
    rows.setMoney(r, TranCol::Amount, *amount);
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
    return {AccountSide::Account, *id};
}

// The window's row message without its first line, which numbers the row
// as the grid does; the tool names the file's line instead.
QString reasonOf(const QString &message)
{
    const qsizetype firstBreak = message.indexOf(QStringLiteral("\r\n"));
    return oneLine(firstBreak < 0 ? message : message.mid(firstBreak + 2));
}

void stopIfCancelled(const std::function<bool()> &cancelled)
{
    if (cancelled && cancelled())
        throw CliError(Cancelled, QStringLiteral("the import was cancelled; the book is unchanged"));
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

ImportedTransactions importTransactions(Book &book, QIODevice &file, const TransactionCsvFormat &format,
                                        const StreamProgress &progress, const std::function<bool()> &cancelled)
{
    CsvReader reader(file);
    const auto csvFault = [&reader] {
        return refusal(QStringLiteral("line %1: %2").arg(reader.errorLine()).arg(reader.error()));
    };
    CsvRecord record;
    QList<CsvRecord> first;
    if (reader.next(record))
        first << record;
    if (!reader.error().isEmpty())
        throw csvFault();
    const ImportHeader header(first,
                              {QStringLiteral("date"), QStringLiteral("from"), QStringLiteral("to"),
                               QStringLiteral("amount"), QStringLiteral("particulars")});
    const AccountDirectory directory(book);
    RowArray rows = makeTranRows();
    try {
        TranImport import(book, QDateTime::currentDateTime(), QStringLiteral("import"));
        qint64 records = 0;
        while (reader.next(record)) {
            const QStringList cells = header.cells(record);
            rows.clear();
            const int r = rows.appendRow();
            rows.setInt(r, TranCol::Id, 0);
            readDateAndAmount(rows, r, cells, format, record);
            rows.setKey(r, TranCol::From, sideKey(directory, cells[1], record));
            rows.setKey(r, TranCol::To, sideKey(directory, cells[2], record));
            rows.setText(r, TranCol::Particulars, cells[4]);
            rows.setEditMark(r, TranCol::Status, EditMark::Changed);
            if (const QString problem = import.add(rows, r); !problem.isEmpty())
                throw refusal(QStringLiteral("line %1: %2").arg(record.line).arg(reasonOf(problem)));
            stopIfCancelled(cancelled);
            if (progress)
                progress(++records, reader.bytesRead());
        }
        if (!reader.error().isEmpty())
            throw csvFault();
        stopIfCancelled(cancelled);
        import.finish();
        return {import.count(), import.first(), import.last()};
    } catch (const DbError &e) {
        throw refusal(withDetail(oneLine(saveFailureText(e)), e.description()));
    }
}

} // namespace bc::cli
