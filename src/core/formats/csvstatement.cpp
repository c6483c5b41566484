#include "csvstatement.h"

#include "csv.h"
#include "datepattern.h"
#include "textencoding.h"

#include <QRegularExpression>

namespace bc {

namespace {

QString lineName(int line)
{
    return QStringLiteral("line %1").arg(line);
}

QString cell(const CsvRecord &record, int column, const QString &what)
{
    if (column < 0)
        return {};
    if (column >= record.fields.size())
        throw StatementError(lineName(record.line),
                             QStringLiteral("there is no column %1 for the %2").arg(column + 1).arg(what));
    return record.fields[column].trimmed();
}

Money amountIn(const CsvRecord &record, int column, const QString &what, const AmountFormat &format)
{
    const QString text = cell(record, column, what);
    const auto amount = parseAmountText(text, format);
    if (!amount)
        throw StatementError(lineName(record.line), QStringLiteral("the %1 \"%2\" is not an amount").arg(what, text));
    return *amount;
}

// Money in is positive; a debit column holds money out whatever sign it is
// written with, a credit column money in.
Money lineAmount(const CsvRecord &record, const CsvMapping &mapping, const AmountFormat &format)
{
    if (mapping.amountColumn >= 0)
        return amountIn(record, mapping.amountColumn, QStringLiteral("amount"), format);
    const bool hasDebit = !cell(record, mapping.debitColumn, QStringLiteral("debit")).isEmpty();
    const bool hasCredit = !cell(record, mapping.creditColumn, QStringLiteral("credit")).isEmpty();
    const Money debit = hasDebit ? amountIn(record, mapping.debitColumn, QStringLiteral("debit"), format) : Money();
    const Money credit = hasCredit ? amountIn(record, mapping.creditColumn, QStringLiteral("credit"), format) : Money();
    if (!hasDebit && !hasCredit)
        throw StatementError(lineName(record.line), QStringLiteral("neither the debit nor the credit holds an amount"));
    if (!debit.isZero() && !credit.isZero())
        throw StatementError(lineName(record.line), QStringLiteral("both the debit and the credit hold an amount"));
    return credit.abs() - debit.abs();
}

void checkMapping(const CsvMapping &mapping)
{
    const QString mapped = QStringLiteral("the mapping");
    if (mapping.delimiter == u'"' || mapping.delimiter == u'\r' || mapping.delimiter == u'\n')
        throw StatementError(mapped, QStringLiteral("a quote or line break cannot separate fields"));
    if (!isDatePattern(mapping.datePattern))
        throw StatementError(mapped, QStringLiteral("\"%1\" is not a date pattern").arg(mapping.datePattern));
    if (mapping.dateColumn < 0)
        throw StatementError(mapped, QStringLiteral("no column holds the date"));
    if (mapping.amountColumn < 0 && (mapping.debitColumn < 0 || mapping.creditColumn < 0))
        throw StatementError(mapped, QStringLiteral("no column holds the amount"));
}

// The header row's column whose name contains one of the words; -1 if none.
int columnNamed(const QStringList &header, std::initializer_list<const char *> words)
{
    for (const char *word : words)
        for (qsizetype i = 0; i < header.size(); ++i)
            if (header[i].contains(QLatin1String(word), Qt::CaseInsensitive))
                return int(i);
    return -1;
}

QChar likeliestDelimiter(const QString &firstLine)
{
    QChar best = u',';
    qsizetype most = 0;
    for (const QChar candidate : {u',', u';', u'\t', u'|'}) {
        const qsizetype count = firstLine.count(candidate);
        if (count > most) {
            most = count;
            best = candidate;
        }
    }
    return best;
}

// Whether a date pattern puts the day first, the month first, or neither.
std::optional<DateOrder> numericOrderOf(const QString &pattern)
{
    if (pattern.startsWith(QLatin1String("dd")))
        return DateOrder::DayMonthYear;
    if (pattern.startsWith(QLatin1String("MM")))
        return DateOrder::MonthDayYear;
    return std::nullopt;
}

// A numeric pattern with day and month swapped: "dd/MM/yyyy" and
// "MM/dd/yyyy".
QString swappedDayAndMonth(QString pattern)
{
    for (QChar &c : pattern)
        c = c == u'd' ? u'M' : c == u'M' ? u'd' : c;
    return pattern;
}

QString patternReading(const QStringList &dates, std::optional<DateOrder> order)
{
    static const char *const patterns[] = {"yyyy-MM-dd", "dd/MM/yyyy", "MM/dd/yyyy", "dd.MM.yyyy",
                                           "yyyy/MM/dd", "dd-MM-yyyy", "MM-dd-yyyy", "yyyyMMdd",
                                           "d MMM yyyy", "dd/MM/yy",   "MM/dd/yy",   "dd.MM.yy"};
    for (const char *pattern : patterns) {
        const auto patternOrder = numericOrderOf(QLatin1String(pattern));
        if (order && patternOrder && *patternOrder != *order)
            continue;
        bool all = !dates.isEmpty();
        for (const QString &date : dates)
            all = all && parseDateByPattern(date, QLatin1String(pattern)).isValid();
        if (all)
            return QLatin1String(pattern);
    }
    return QStringLiteral("yyyy-MM-dd");
}

} // namespace

AmountFormat amountFormatOf(const CsvMapping &mapping)
{
    AmountFormat format;
    format.decimalSeparator = mapping.decimalSeparator;
    format.thousandsSeparators = mapping.thousandsSeparators;
    format.currencySymbols = mapping.currencySymbols;
    format.parenthesesNegative = mapping.parenthesesNegative;
    return format;
}

Statement readCsvStatement(const QByteArray &data, const CsvMapping &mapping)
{
    checkMapping(mapping);
    const CsvReadResult csv = readCsvText(decodeStatementText(data, mapping.encoding), mapping.delimiter);
    if (!csv.ok())
        throw StatementError(lineName(csv.errorLine), csv.error);
    const AmountFormat format = amountFormatOf(mapping);
    Statement statement;
    for (qsizetype i = qMax(0, mapping.skipRows); i < csv.records.size(); ++i) {
        const CsvRecord &record = csv.records[i];
        StatementLine line;
        line.where = lineName(record.line);
        const QString dateText = cell(record, mapping.dateColumn, QStringLiteral("date"));
        line.date = parseDateByPattern(dateText, mapping.datePattern);
        if (!line.date.isValid())
            throw StatementError(
                line.where, QStringLiteral("the date \"%1\" does not read as %2").arg(dateText, mapping.datePattern));
        line.amount = lineAmount(record, mapping, format);
        line.payee = cell(record, mapping.payeeColumn, QStringLiteral("payee"));
        line.memo = cell(record, mapping.memoColumn, QStringLiteral("memo"));
        statement.lines.push_back(std::move(line));
    }
    return statement;
}

CsvMapping guessCsvMapping(const QByteArray &data, std::optional<DateOrder> order)
{
    CsvMapping mapping;
    mapping.encoding = firstInvalidUtf8(data) < 0 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    const QString text = decodeStatementText(data, mapping.encoding);
    mapping.delimiter = likeliestDelimiter(text.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0));
    const CsvReadResult csv = readCsvText(text, mapping.delimiter);
    if (csv.records.isEmpty())
        return mapping;
    // The header is the first record naming a date column: some banks put
    // the account's details on lines above it.
    const auto dateWords = {"date", "datum", "fecha", "buchungstag"};
    qsizetype headerIndex = 0;
    for (qsizetype i = 0; i < csv.records.size() && i < 20; ++i)
        if (columnNamed(csv.records[i].fields, dateWords) >= 0) {
            headerIndex = i;
            break;
        }
    const QStringList &header = csv.records[headerIndex].fields;
    mapping.skipRows = int(headerIndex) + 1;
    mapping.dateColumn = qMax(0, columnNamed(header, dateWords));
    mapping.debitColumn = columnNamed(header, {"debit", "withdrawal", "money out", "paid out", "soll"});
    mapping.creditColumn = columnNamed(header, {"credit", "deposit", "money in", "paid in", "haben"});
    mapping.amountColumn = columnNamed(header, {"amount", "betrag", "importe", "montant"});
    if (mapping.amountColumn < 0 && (mapping.debitColumn < 0 || mapping.creditColumn < 0))
        mapping.amountColumn = 1;
    if (mapping.amountColumn >= 0)
        mapping.debitColumn = mapping.creditColumn = -1;
    mapping.payeeColumn = columnNamed(header, {"payee", "name", "description", "beneficiary", "counterparty", "empf"});
    mapping.memoColumn = columnNamed(header,
                                     {"memo", "reference", "details", "narrative", "purpose", "verwendungszweck"});
    if (mapping.memoColumn == mapping.payeeColumn)
        mapping.memoColumn = -1;

    QStringList dates;
    bool decimalComma = false;
    static const QRegularExpression commaDecimals(QStringLiteral(",\\d{1,2}\\)?$"));
    for (qsizetype i = headerIndex + 1; i < csv.records.size() && i <= headerIndex + 20; ++i) {
        const QStringList &fields = csv.records[i].fields;
        if (mapping.dateColumn < fields.size())
            dates << fields[mapping.dateColumn].trimmed();
        for (const int column : {mapping.amountColumn, mapping.debitColumn, mapping.creditColumn})
            if (column >= 0 && column < fields.size() && fields[column].trimmed().contains(commaDecimals))
                decimalComma = true;
    }
    mapping.datePattern = patternReading(dates, order);
    if (decimalComma) {
        mapping.decimalSeparator = u',';
        mapping.thousandsSeparators = QStringLiteral(". ");
    }
    return mapping;
}

CsvMapping guessCsvMappingForImport(const QByteArray &data, std::optional<DateOrder> order)
{
    CsvMapping mapping = guessCsvMapping(data, order);
    if (order || !numericOrderOf(mapping.datePattern))
        return mapping;
    const QString swapped = swappedDayAndMonth(mapping.datePattern);
    const CsvReadResult csv = readCsvText(decodeStatementText(data, mapping.encoding), mapping.delimiter);
    bool readsAsGuessed = true, readsSwapped = true;
    const CsvRecord *firstTwoWays = nullptr;
    for (qsizetype i = qMax(0, mapping.skipRows); i < csv.records.size(); ++i) {
        const CsvRecord &record = csv.records[i];
        if (mapping.dateColumn >= record.fields.size())
            continue;
        const QString text = record.fields[mapping.dateColumn].trimmed();
        const QDate guessed = parseDateByPattern(text, mapping.datePattern);
        const QDate other = parseDateByPattern(text, swapped);
        readsAsGuessed = readsAsGuessed && guessed.isValid();
        readsSwapped = readsSwapped && other.isValid();
        if (!firstTwoWays && guessed.isValid() && other.isValid() && guessed != other)
            firstTwoWays = &record;
    }
    if (!readsAsGuessed && readsSwapped)
        mapping.datePattern = swapped;
    else if (readsAsGuessed && readsSwapped && firstTwoWays)
        throw StatementError(lineName(firstTwoWays->line),
                             QStringLiteral("dates such as %1 can be read day-first or month-first; choose the order")
                                 .arg(firstTwoWays->fields[mapping.dateColumn].trimmed()));
    return mapping;
}

} // namespace bc
