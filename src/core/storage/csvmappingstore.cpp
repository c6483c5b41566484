#include "csvmappingstore.h"

#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Windows1252 ? QStringLiteral("windows-1252") : QStringLiteral("utf-8");
}

const QString columns = QStringLiteral(
    "name, delimiter, encoding, skip_rows, date_column, date_pattern, amount_column, debit_column, "
    "credit_column, decimal_separator, thousands_separators, currency_symbols, parentheses_negative, "
    "payee_column, memo_column");

} // namespace

QStringList readCsvMappingNames(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT name FROM csv_mappings ORDER BY ")
                             + dialectOf(db).orderIgnoringCase(QStringLiteral("name")));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

std::optional<CsvMapping> readCsvMapping(const Book &book, const QString &name)
{
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT %1 FROM csv_mappings WHERE name = ?").arg(columns),
                         {name});
    if (!q.next())
        return std::nullopt;
    CsvMapping m;
    m.name = q.value(0).toString();
    m.delimiter = q.value(1).toString().at(0);
    m.encoding = q.value(2).toString() == QLatin1String("windows-1252") ? TextEncoding::Windows1252
                                                                        : TextEncoding::Utf8;
    m.skipRows = q.value(3).toInt();
    m.dateColumn = q.value(4).toInt();
    m.datePattern = q.value(5).toString();
    m.amountColumn = q.value(6).toInt();
    m.debitColumn = q.value(7).toInt();
    m.creditColumn = q.value(8).toInt();
    m.decimalSeparator = q.value(9).toString().at(0);
    m.thousandsSeparators = q.value(10).toString();
    m.currencySymbols = q.value(11).toString();
    m.parenthesesNegative = q.value(12).toInt() != 0;
    m.payeeColumn = q.value(13).toInt();
    m.memoColumn = q.value(14).toInt();
    return m;
}

void writeCsvMapping(const Book &book, const CsvMapping &m)
{
    QStringList replaced;
    for (const QString &column : columns.split(QStringLiteral(", ")).mid(1))
        replaced << QStringLiteral("%1 = excluded.%1").arg(column);
    runSql(connectionOf(book),
           QStringLiteral("INSERT INTO csv_mappings (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                          "ON CONFLICT (name) DO UPDATE SET %2")
               .arg(columns, replaced.join(QStringLiteral(", "))),
           {m.name, QString(m.delimiter), encodingName(m.encoding), m.skipRows, m.dateColumn, m.datePattern,
            m.amountColumn, m.debitColumn, m.creditColumn, QString(m.decimalSeparator), m.thousandsSeparators,
            m.currencySymbols, m.parenthesesNegative ? 1 : 0, m.payeeColumn, m.memoColumn});
}

void removeCsvMapping(const Book &book, const QString &name)
{
    runSql(connectionOf(book), QStringLiteral("DELETE FROM csv_mappings WHERE name = ?"), {name});
}

} // namespace bc
