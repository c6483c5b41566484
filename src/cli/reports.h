#pragma once

#include "reconciliationstore.h"

#include "bookaccess.h"
#include "clierror.h"
#include "commandline.h"
#include "ledger.h"
#include "output.h"
#include "summary.h"
#include "texttable.h"
#include "transactions.h"

#include <QDate>
#include <QString>
#include <memory>

namespace bc::cli {

// The three reports, computed by the same core operations the windows run.
// Each pair of functions is shared by the report's own command and by print:
// add the options, then validate them, open the book and compute.

struct LedgerReport {
    QString accountName;
    QDate fromDate;
    QDate toDate;
    SystemSettings settings;
    LedgerResult result;
};
void addLedgerOptions(CommandLine &commandLine);
LedgerReport ledgerReport(const CommandLine &commandLine, Book &book, const QString &bookPath);
TextTable ledgerTable(const LedgerReport &report);

struct SummaryReport {
    QDate fromDate;
    QDate toDate;
    SystemSettings settings;
    SummaryResult result;
};
void addSummaryOptions(CommandLine &commandLine);
SummaryReport summaryReport(const CommandLine &commandLine, Book &book, const QString &bookPath);
TextTable summaryTable(const SummaryReport &report);

struct TransactionReport {
    SystemSettings settings;
    QDate fromDate; // the period searched; invalid for all dates
    QDate toDate;
    std::unique_ptr<AccountDirectory> directory;
    TranFindResult result;
    // With --status: each transaction's sides' standing with the bank.
    std::optional<QHash<qint64, SideStatuses>> statuses{};
};
void addTransactionOptions(CommandLine &commandLine);
TransactionReport transactionReport(const CommandLine &commandLine, Book &book, const QString &bookPath);
TextTable transactionTable(const TransactionReport &report);

// Runs a report command: its options and --format, then the report printed
// to standard output.
template <typename Report>
int runReportCommand(const QStringList &arguments, const QString &command, const QString &description,
                     void (*addOptions)(CommandLine &), Report (*compute)(const CommandLine &, Book &, const QString &),
                     TextTable (*tabulate)(const Report &))
{
    CommandLine commandLine(command, description, {QStringLiteral("BOOK")});
    addOptions(commandLine);
    commandLine.addFormatOption();
    if (!commandLine.parse(arguments))
        return Success;
    const OutputFormat format = commandLine.format();
    Book book;
    writeOut(tabulate(compute(commandLine, book, commandLine.positional(0))).render(format));
    return Success;
}

} // namespace bc::cli
