#include "commands.h"
#include "reports.h"

#include "dates.h"

namespace bc::cli {

namespace {

QString amountText(const CommandLine &commandLine, const QString &name)
{
    const auto amount = commandLine.amount(name);
    return amount ? amount->toPlain() : QString();
}

QString statusWord(SideStatus status)
{
    switch (status) {
    case SideStatus::Cleared: return QStringLiteral("cleared");
    case SideStatus::Reconciled: return QStringLiteral("reconciled");
    case SideStatus::New: break;
    }
    return QString();
}

void addListOptions(CommandLine &commandLine)
{
    addTransactionOptions(commandLine);
    commandLine.addOption(QStringLiteral("status"), QString(),
                          QStringLiteral("Add the From and To sides' standing with the bank (blank, cleared or "
                                         "reconciled) as the last two columns."));
}

} // namespace

void addTransactionOptions(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("from"), QStringLiteral("DATE"),
                          QStringLiteral("First day, YYYY-MM-DD (with --to)."));
    commandLine.addOption(QStringLiteral("to"), QStringLiteral("DATE"),
                          QStringLiteral("Last day, YYYY-MM-DD (with --from)."));
    commandLine.addOption(QStringLiteral("from-account"), QStringLiteral("NAME"),
                          QStringLiteral("Only transactions out of this account."));
    commandLine.addOption(QStringLiteral("to-account"), QStringLiteral("NAME"),
                          QStringLiteral("Only transactions into this account."));
    commandLine.addOption(QStringLiteral("amount-min"), QStringLiteral("X"), QStringLiteral("Lowest amount."));
    commandLine.addOption(QStringLiteral("amount-max"), QStringLiteral("X"), QStringLiteral("Highest amount."));
    commandLine.addOption(QStringLiteral("particulars"), QStringLiteral("TEXT"),
                          QStringLiteral("Only transactions whose particulars contain this text."));
}

TransactionReport transactionReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    TranSearch search;
    const auto from = commandLine.optionalDate(QStringLiteral("from"));
    const auto to = commandLine.optionalDate(QStringLiteral("to"));
    if (from.has_value() != to.has_value())
        throw usageError(QStringLiteral("transactions: --from and --to go together"));
    if (from) {
        search.applyDates = true;
        search.fromDate = *from;
        search.toDate = *to;
    }
    search.amount1 = amountText(commandLine, QStringLiteral("amount-min"));
    search.amount2 = amountText(commandLine, QStringLiteral("amount-max"));
    if (commandLine.isSet(QStringLiteral("particulars")))
        search.particulars = commandLine.requiredValue(QStringLiteral("particulars"));

    TransactionReport report;
    openBook(book, bookPath);
    report.settings = bookSettings(book);
    report.directory = std::make_unique<AccountDirectory>(book);
    if (commandLine.isSet(QStringLiteral("from-account"))) {
        search.fromAccount = report.directory->require(commandLine.requiredValue(QStringLiteral("from-account")),
                                                       QStringLiteral("--from-account"));
        search.fromSide = AccountSide::Account;
    }
    if (commandLine.isSet(QStringLiteral("to-account"))) {
        search.toAccount = report.directory->require(commandLine.requiredValue(QStringLiteral("to-account")),
                                                     QStringLiteral("--to-account"));
        search.toSide = AccountSide::Account;
    }
    report.result = findTransactions(book, search);
    if (commandLine.isSet(QStringLiteral("status"))) {
        QList<qint64> ids;
        for (int r = 0; r < report.result.rows.rowCount(); ++r)
            ids << report.result.rows.intAt(r, TranCol::Id);
        report.statuses = sideStatusesOf(book, ids);
    }
    report.fromDate = search.fromDate;
    report.toDate = search.toDate;
    return report;
}

TextTable transactionTable(const TransactionReport &report)
{
    QList<TextTable::Column> columns{{QStringLiteral("tran_id"), QStringLiteral("Tran ID"), true},
                                     {QStringLiteral("date"), QStringLiteral("Date")},
                                     {QStringLiteral("from"), QStringLiteral("From")},
                                     {QStringLiteral("to"), QStringLiteral("To")},
                                     {QStringLiteral("amount"), QStringLiteral("Amount"), true},
                                     {QStringLiteral("particulars"), QStringLiteral("Particulars")}};
    if (report.statuses)
        columns << TextTable::Column{QStringLiteral("from_status"), QStringLiteral("From status")}
                << TextTable::Column{QStringLiteral("to_status"), QStringLiteral("To status")};
    TextTable table(columns);
    const RowArray &rows = report.result.rows;
    for (int r = 0; r < rows.rowCount(); ++r) {
        const qint64 id = rows.intAt(r, TranCol::Id);
        QStringList cells{QString::number(id),
                          isoDate(rows.dateAt(r, TranCol::Date)),
                          report.directory->nameOf(rows.keyAt(r, TranCol::From)),
                          report.directory->nameOf(rows.keyAt(r, TranCol::To)),
                          rows.isNull(r, TranCol::Amount) ? QString() : rows.moneyAt(r, TranCol::Amount).toPlain(),
                          rows.textAt(r, TranCol::Particulars)};
        if (report.statuses) {
            const SideStatuses sides = report.statuses->value(id);
            cells << statusWord(sides.from) << statusWord(sides.to);
        }
        table.addRow(cells);
    }
    return table;
}

int runTransactions(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("transactions"),
                            QStringLiteral("Lists the transactions that match, through the same search as "
                                           "the Transactions window."),
                            addListOptions, transactionReport, transactionTable);
}

} // namespace bc::cli
