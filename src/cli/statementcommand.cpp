#include "autobackup.h"
#include "bookaccess.h"
#include "commandline.h"
#include "commands.h"
#include "csvmappings.h"
#include "csvstatement.h"
#include "dates.h"
#include "output.h"
#include "statementimport.h"
#include "statementreader.h"
#include "texttable.h"

#include <QDateTime>
#include <QFileInfo>

namespace bc::cli {

namespace {

StatementFormat statementFormat(const CommandLine &commandLine, const QByteArray &data, const QString &path)
{
    if (!commandLine.isSet(QStringLiteral("format"))) {
        if (const auto detected = detectStatementFormat(data, QFileInfo(path).fileName()))
            return *detected;
        throw refusal(QStringLiteral("\"%1\" is no statement this program reads; give --format").arg(path));
    }
    const QString text = commandLine.requiredValue(QStringLiteral("format"));
    if (text == QLatin1String("ofx"))
        return StatementFormat::Ofx;
    if (text == QLatin1String("qif"))
        return StatementFormat::Qif;
    if (text == QLatin1String("camt"))
        return StatementFormat::Camt053;
    if (text == QLatin1String("csv"))
        return StatementFormat::Csv;
    throw usageError(QStringLiteral("--format: \"%1\" is none of ofx, qif, camt, csv").arg(text));
}

StatementReadOptions readOptions(const CommandLine &commandLine, const Book &book, const QByteArray &data)
{
    StatementReadOptions options;
    if (commandLine.isSet(QStringLiteral("date-order"))) {
        const QString order = commandLine.requiredValue(QStringLiteral("date-order"));
        if (order == QLatin1String("dmy"))
            options.qifDateOrder = DateOrder::DayMonthYear;
        else if (order == QLatin1String("mdy"))
            options.qifDateOrder = DateOrder::MonthDayYear;
        else if (order == QLatin1String("ymd"))
            options.qifDateOrder = DateOrder::YearMonthDay;
        else
            throw usageError(QStringLiteral("--date-order: \"%1\" is none of dmy, mdy, ymd").arg(order));
    }
    if (commandLine.isSet(QStringLiteral("mapping"))) {
        const QString name = commandLine.requiredValue(QStringLiteral("mapping"));
        const auto mapping = loadCsvMapping(book, name);
        if (!mapping)
            throw refusal(QStringLiteral("--mapping: the book holds no CSV mapping named \"%1\"").arg(name));
        options.csv = *mapping;
    } else {
        options.csv = guessCsvMappingForImport(data, options.qifDateOrder);
    }
    return options;
}

TextTable previewTable(const StatementPreview &preview, const AccountDirectory &directory)
{
    TextTable table({{QStringLiteral("status"), QStringLiteral("Status")},
                     {QStringLiteral("date"), QStringLiteral("Date")},
                     {QStringLiteral("amount"), QStringLiteral("Amount"), true},
                     {QStringLiteral("payee"), QStringLiteral("Payee")},
                     {QStringLiteral("counter_account"), QStringLiteral("Counter-account")}});
    for (const PreviewLine &l : preview.lines)
        table.addRow({importStatusText(l.status), isoDate(l.line.date), l.line.amount.toPlain(), l.line.payee,
                      l.counterAccountId ? directory.nameOf({AccountSide::Account, l.counterAccountId}) : QString()});
    return table;
}

QString balanceLines(const StatementPreview &preview, const ImportTotals &totals)
{
    QString text = QStringLiteral("\nBalance after import: %1\n").arg(totals.balanceAfter.toPlain());
    if (preview.closingBalance) {
        text += QStringLiteral("Statement closing balance: %1\n").arg(preview.closingBalance->toPlain());
        if (*preview.closingBalance != totals.balanceAfter)
            text += QStringLiteral("Difference: %1\n").arg((*preview.closingBalance - totals.balanceAfter).toPlain());
    }
    return text;
}

} // namespace

int runImportStatement(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("import"),
                            QStringLiteral(
                                "Imports a bank statement (OFX, QFX, QIF, CAMT.053 or CSV) into an account, all or "
                                "nothing, after printing what becomes of each line: New (added), Duplicate (imported "
                                "before, skipped), Matched (already entered by hand) or Skipped (no amount, or left "
                                "out in the window before). The "
                                "counter-account comes from the book's rules, else the uncategorised account."),
                            {QStringLiteral("BOOK"), QStringLiteral("statement"), QStringLiteral("FILE")});
    commandLine.addOption(QStringLiteral("account"), QStringLiteral("NAME"),
                          QStringLiteral("The account the statement belongs to (required)."));
    commandLine.addOption(QStringLiteral("format"), QStringLiteral("ofx|qif|camt|csv"),
                          QStringLiteral("The statement's format (default: detected from the file)."));
    commandLine.addOption(QStringLiteral("mapping"), QStringLiteral("NAME"),
                          QStringLiteral(
                              "csv: the CSV mapping saved in the book under this name (default: guessed from "
                              "the file's header)."));
    commandLine.addOption(QStringLiteral("date-order"), QStringLiteral("dmy|mdy|ymd"),
                          QStringLiteral("qif, and csv without --mapping: the order of the dates (default: "
                                         "detected from the file; dates that read both ways are refused)."));
    commandLine.addOption(QStringLiteral("uncategorised"), QStringLiteral("NAME"),
                          QStringLiteral("The account of lines no rule places (default: the account named "
                                         "\"Uncategorised\")."));
    commandLine.addOption(QStringLiteral("dry-run"), QString(), QStringLiteral("Print the preview, write nothing."));
    commandLine.addOption(QStringLiteral("format-output"), QStringLiteral("table|csv"),
                          QStringLiteral("Aligned columns for people (default) or CSV with a header line."));
    if (!commandLine.parse(arguments))
        return Success;
    const OutputFormat output = commandLine.format(QStringLiteral("format-output"));
    const QString path = commandLine.positional(2);
    const QByteArray data = readInput(path);
    const StatementFormat format = statementFormat(commandLine, data, path);

    // A dry run writes nothing, so it never brings an older book forward.
    const bool dryRun = commandLine.isSet(QStringLiteral("dry-run"));
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = dryRun});
    const AccountDirectory directory(book);
    const qint64 account = directory.require(commandLine.requiredValue(QStringLiteral("account")),
                                             QStringLiteral("--account"));
    qint64 uncategorised = 0;
    if (commandLine.isSet(QStringLiteral("uncategorised")))
        uncategorised = directory.require(commandLine.requiredValue(QStringLiteral("uncategorised")),
                                          QStringLiteral("--uncategorised"));
    else
        uncategorised = directory.find(QStringLiteral("Uncategorised")).value_or(0);

    Statement statement;
    try {
        statement = readStatement(data, format, readOptions(commandLine, book, data));
    } catch (const StatementError &e) {
        throw refusal(oneLine(e.text()));
    }
    const StatementPreview preview = previewImport(book, statement, account, uncategorised);
    QString printed = previewTable(preview, directory).render(output);
    if (output == OutputFormat::Table)
        printed += balanceLines(preview, importTotals(preview));
    if (!dryRun) {
        for (const PreviewLine &l : preview.lines)
            if (l.status == ImportStatus::New && l.counterAccountId == 0)
                throw refusal(QStringLiteral("%1: no rule places the line and there is no account named "
                                             "\"Uncategorised\"; give --uncategorised NAME")
                                  .arg(l.line.where));
        const QDateTime now = QDateTime::currentDateTime();
        backUpBeforeImport(book, importTotals(preview).added, backupsFolder(), now);
        const ImportResult result = applyImport(book, preview, now);
        if (!result.ok)
            throw refusal(oneLine(result.text));
        if (output == OutputFormat::Table)
            printed += QStringLiteral("Added %1, matched %2, skipped %3.\n")
                           .arg(result.added)
                           .arg(result.matched)
                           .arg(result.skipped);
    }
    writeOut(printed);
    return Success;
}

} // namespace bc::cli
