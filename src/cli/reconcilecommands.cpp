#include "bookaccess.h"
#include "commandline.h"
#include "commands.h"
#include "dates.h"
#include "output.h"
#include "reconciliation.h"

#include <QDateTime>

namespace bc::cli {

namespace {

QString shown(qint64 cents)
{
    return Money::fromCents(cents).toStandard();
}

void requireReconciliation(const Book &book)
{
    if (!hasReconciliation(book))
        throw refusal(QStringLiteral("The book is of an older format, open read-only, and keeps no reconciliations."));
}

} // namespace

int runReconcile(const QStringList &arguments)
{
    CommandLine commandLine(
        QStringLiteral("reconcile"),
        QStringLiteral("Reconciles the account with a bank statement of the date, closing at the balance: its "
                       "movements dated up to the date that are cleared (with --auto: all not yet reconciled) are "
                       "marked reconciled, in one change the history can undo, when their sum with the balance the "
                       "last statement agreed (the account's opening amount before the first) equals the "
                       "statement's. Otherwise exit status 1, naming the difference and the movements not "
                       "reconciled, and nothing is written."),
        {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("account"), QStringLiteral("NAME"), QStringLiteral("The account."));
    commandLine.addOption(QStringLiteral("date"), QStringLiteral("YYYY-MM-DD"),
                          QStringLiteral("The statement's date."));
    commandLine.addOption(QStringLiteral("balance"), QStringLiteral("AMOUNT"),
                          QStringLiteral("The statement's closing balance."));
    commandLine.addOption(QStringLiteral("auto"), QString(),
                          QStringLiteral("Take every movement not yet reconciled, cleared or not."));
    commandLine.addOption(QStringLiteral("dry-run"), QString(),
                          QStringLiteral("Say what would be done; write nothing."));
    if (!commandLine.parse(arguments))
        return Success;
    const QString accountName = commandLine.requiredValue(QStringLiteral("account"));
    const QDate date = commandLine.date(QStringLiteral("date"));
    const std::optional<Money> balance = commandLine.amount(QStringLiteral("balance"));
    if (!balance)
        throw usageError(QStringLiteral("reconcile: --balance AMOUNT is required"));
    const bool automatic = commandLine.isSet(QStringLiteral("auto"));
    const bool dryRun = commandLine.isSet(QStringLiteral("dry-run"));
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = dryRun});
    requireReconciliation(book);
    const qint64 account = AccountDirectory(book).require(accountName, QStringLiteral("--account"));
    const QString dateFormat = bookSettings(book).dateFormat;

    const QList<AccountMovement> movements = unreconciledMovements(book, account, date);
    ReconcileRequest request{account, date, balance->cents(), {}};
    for (const AccountMovement &m : movements)
        if (automatic || m.status == SideStatus::Cleared)
            request.ticked << sideOf(m);
    const ReconcileFigures figures = reconcileFigures(book, account, movements, request.ticked);
    if (const qint64 difference = figures.differenceTo(request.closingCents); difference != 0)
        throw refusal(QStringLiteral("The statement of %1 closes at %2, the %3 movements of \"%4\" with the "
                                     "balance reconciled before come to %5: a difference of %6, with %7 movements "
                                     "up to that date not reconciled. Nothing was written.")
                          .arg(formatReportDate(date, dateFormat), shown(request.closingCents),
                               automatic ? QStringLiteral("unreconciled") : QStringLiteral("cleared"), accountName,
                               shown(figures.clearedCents()), shown(difference))
                          .arg(movements.size()));
    if (dryRun) {
        writeOut(QStringLiteral("%1 movements of \"%2\" would be reconciled with the statement of %3, closing "
                                "balance %4.\n")
                     .arg(request.ticked.size())
                     .arg(accountName, formatReportDate(date, dateFormat), shown(request.closingCents)));
        return Success;
    }
    const ReconcileResult result = reconcileAccount(book, request, QDateTime::currentDateTime(),
                                                    QStringLiteral("reconcile"));
    if (!result.ok)
        throw refusal(result.message);
    writeOut(result.message + u'\n');
    return Success;
}

int runReconciliations(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("reconciliations"),
                            QStringLiteral("Lists the statements the account was reconciled with, oldest first, one a "
                                           "line: number, statement date, closing balance, movements, who and "
                                           "when. The book is opened read-only."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("account"), QStringLiteral("NAME"), QStringLiteral("The account."));
    if (!commandLine.parse(arguments))
        return Success;
    const QString accountName = commandLine.requiredValue(QStringLiteral("account"));
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = true});
    const qint64 account = AccountDirectory(book).require(accountName, QStringLiteral("--account"));
    const QString dateFormat = bookSettings(book).dateFormat;
    QString text;
    for (const ReconciliationRecord &r : reconciliationsOf(book, account))
        text += QStringLiteral("%1  %2  %3  %4 movements  %5  %6\n")
                    .arg(r.id)
                    .arg(formatReportDate(r.statementDate, dateFormat), shown(r.closingCents))
                    .arg(movementsOfReconciliation(book, r.id).size())
                    .arg(r.user, r.madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    writeOut(text);
    return Success;
}

int runLock(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("lock"),
                            QStringLiteral("Closes the book through a date: from then on every writer, this program "
                                           "or another, is refused a transaction dated on or before it. --open "
                                           "closes nothing. Either is a change the history records."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("through"), QStringLiteral("YYYY-MM-DD"),
                          QStringLiteral("The last day closed."));
    commandLine.addOption(QStringLiteral("open"), QString(), QStringLiteral("Close no period."));
    if (!commandLine.parse(arguments))
        return Success;
    const bool open = commandLine.isSet(QStringLiteral("open"));
    if (open == commandLine.isSet(QStringLiteral("through")))
        throw usageError(QStringLiteral("lock: give either --through YYYY-MM-DD or --open"));
    const QDate through = open ? QDate() : commandLine.date(QStringLiteral("through"));
    Book book;
    openBook(book, commandLine.positional(0));
    requireReconciliation(book);
    const ClosedPeriodResult result = setClosedThrough(book, through, QDate::currentDate(), QStringLiteral("lock"));
    if (!result.ok)
        throw refusal(oneLine(result.message));
    writeOut(result.message + u'\n');
    return Success;
}

} // namespace bc::cli
