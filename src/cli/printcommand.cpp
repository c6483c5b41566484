#include "commands.h"
#include "output.h"
#include "reports.h"

#include "reportdata.h"
#include "reportrenderer.h"

namespace bc::cli {

namespace {

// The report named on the command line, found before the options are known:
// every option of the printed reports but help and --force takes a value, so
// the words that are neither options nor their values are the positional
// arguments.
QString reportKind(const QStringList &arguments)
{
    QStringList positionals;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--")) {
            positionals << arguments.mid(i + 1);
            break;
        }
        if (a.startsWith(u'-') && a.size() > 1) {
            const bool flag = a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("-?")
                || a == QLatin1String("-help") || a == QLatin1String("--force") || a == QLatin1String("-force");
            if (!flag && !a.contains(u'='))
                ++i;
            continue;
        }
        positionals << a;
    }
    return positionals.value(1);
}

ReportData ledgerData(const CommandLine &commandLine, Book &book, QString &dateFormat)
{
    LedgerReport report = ledgerReport(commandLine, book, commandLine.positional(0));
    dateFormat = report.settings.dateFormat;
    const LedgerReportHeader header{report.accountName, report.fromDate, report.toDate, report.result.openingBalance,
                                    report.result.closingBalance};
    return LedgerReportData{std::move(report.result), header};
}

ReportData summaryData(const CommandLine &commandLine, Book &book, QString &dateFormat)
{
    SummaryReport report = summaryReport(commandLine, book, commandLine.positional(0));
    dateFormat = report.settings.dateFormat;
    return SummaryReportData{std::move(report.result), {}, report.fromDate, report.toDate};
}

ReportData transactionData(const CommandLine &commandLine, Book &book, QString &dateFormat)
{
    const TransactionReport report = transactionReport(commandLine, book, commandLine.positional(0));
    dateFormat = report.settings.dateFormat;
    const AccountDirectory &directory = *report.directory;
    return transactionListData(
        report.result.rows, [&directory](const AccountKey &key) { return directory.nameOf(key); }, report.fromDate,
        report.toDate);
}

} // namespace

int runPrint(const QStringList &arguments)
{
    const QString kind = reportKind(arguments);
    CommandLine commandLine(QStringLiteral("print"),
                            QStringLiteral("Writes a printed report as PDF. Takes the options of the ledger, "
                                           "summary or transactions command; see for example "
                                           "brindlecot-cli print BOOK ledger --help."),
                            {QStringLiteral("BOOK"), QStringLiteral("ledger|summary|transactions")});
    int reportType = 0;
    if (kind == QLatin1String("ledger")) {
        addLedgerOptions(commandLine);
        reportType = AccountLedgerReport;
    } else if (kind == QLatin1String("summary")) {
        addSummaryOptions(commandLine);
        reportType = AccountSummaryReport;
    } else if (kind == QLatin1String("transactions")) {
        addTransactionOptions(commandLine);
        reportType = TransactionListReport;
    }
    commandLine.addOption(QStringLiteral("pdf"), QStringLiteral("FILE"), QStringLiteral("The PDF file to write."));
    addForceOption(commandLine);
    if (!commandLine.parse(arguments))
        return Success;
    if (reportType == 0)
        throw usageError(QStringLiteral("print: \"%1\" is not ledger, summary or transactions").arg(kind));
    const OutputFile pdf(commandLine.requiredValue(QStringLiteral("pdf")), commandLine.positional(0),
                         commandLine.isSet(QStringLiteral("force")));

    Book book;
    QString dateFormat;
    const ReportData data = reportType == AccountLedgerReport ? ledgerData(commandLine, book, dateFormat)
        : reportType == AccountSummaryReport                  ? summaryData(commandLine, book, dateFormat)
                                                              : transactionData(commandLine, book, dateFormat);
    const ReportPrintInfo info{QDate::currentDate(), dateFormat};
    pdf.write([&](QIODevice &device) {
        const RenderResult rendered = renderReportToPdf(device, data, info);
        return rendered.ok ? QString() : oneLine(rendered.error);
    });
    return Success;
}

} // namespace bc::cli
