#include "commands.h"
#include "reports.h"

#include "dates.h"

namespace bc::cli {

void addLedgerOptions(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("account"), QStringLiteral("NAME"), QStringLiteral("The account."));
    commandLine.addOption(QStringLiteral("from"), QStringLiteral("DATE"), QStringLiteral("First day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("to"), QStringLiteral("DATE"), QStringLiteral("Last day, YYYY-MM-DD."));
    commandLine.addFyStartOption();
}

LedgerReport ledgerReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    LedgerReport report;
    const QString account = commandLine.requiredValue(QStringLiteral("account"));
    report.fromDate = commandLine.date(QStringLiteral("from"));
    report.toDate = commandLine.date(QStringLiteral("to"));
    commandLine.optionalDate(QStringLiteral("fy-start"));

    openBook(book, bookPath);
    report.settings = bookSettings(book);
    const AccountDirectory directory(book);
    const qint64 id = directory.require(account, QStringLiteral("--account"));
    report.accountName = directory.nameOf(AccountKey{AccountSide::Account, id});

    LedgerInput input;
    input.accountId = id;
    input.fromDate = report.fromDate;
    input.toDate = report.toDate;
    input.finYearStart = finYearStart(commandLine, report.settings);
    report.result = computeLedger(book, input);
    return report;
}

TextTable ledgerTable(const LedgerReport &report)
{
    TextTable table({{QStringLiteral("date"), QStringLiteral("Date")},
                     {QStringLiteral("particulars"), QStringLiteral("Particulars")},
                     {QStringLiteral("debit"), QStringLiteral("Debit"), true},
                     {QStringLiteral("credit"), QStringLiteral("Credit"), true},
                     {QStringLiteral("balance"), QStringLiteral("Balance"), true}});
    const LedgerResult &ledger = report.result;
    table.addRow({isoDate(report.fromDate), QStringLiteral("Opening balance"), QString(), QString(),
                  ledger.openingBalance.toPlain()});
    for (const LedgerMovement &m : ledger.movements) {
        const QString magnitude = m.amount.abs().toPlain();
        const bool debit = m.amount.isNegative();
        table.addRow({isoDate(m.date), ledgerParticulars(m), debit ? magnitude : QString(),
                      debit ? QString() : magnitude, m.balance.toPlain()});
    }
    table.addRow({isoDate(report.toDate), QStringLiteral("Closing balance"), QString(), QString(),
                  ledger.closingBalance.toPlain()});
    return table;
}

int runLedger(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("ledger"),
                            QStringLiteral("Prints the ledger of one account: the opening balance, every "
                                           "movement with the running balance (credit positive) and the "
                                           "closing balance."),
                            addLedgerOptions, ledgerReport, ledgerTable);
}

} // namespace bc::cli
