#include "bookaccess.h"
#include "bookcheck.h"
#include "commandline.h"
#include "commands.h"
#include "dates.h"
#include "ledger.h"
#include "output.h"

namespace bc::cli {

namespace {

// One --assert: "ACCOUNT YYYY-MM-DD AMOUNT", the account's name being every
// word before the last two.
struct BalanceAssertion {
    QString account;
    QDate date;
    Money amount;
};

BalanceAssertion parseAssertion(const QString &text)
{
    const QStringList words = text.simplified().split(u' ');
    if (words.size() < 3)
        throw usageError(QStringLiteral("check: --assert takes \"ACCOUNT YYYY-MM-DD AMOUNT\", not \"%1\"").arg(text));
    const std::optional<Money> amount = Money::parse(words.last());
    if (!amount)
        throw usageError(QStringLiteral("check: the amount of --assert \"%1\" is not a number").arg(text));
    return {words.mid(0, words.size() - 2).join(u' '),
            parseIsoOption(QStringLiteral("the date of --assert"), words.at(words.size() - 2)), *amount};
}

// Each account whose ledger closes the day at another balance than the one
// asserted, with the difference; exit status 1 when there is any.
int checkAssertions(const QString &path, const QStringList &assertions)
{
    QList<BalanceAssertion> parsed;
    for (const QString &text : assertions)
        parsed << parseAssertion(text);
    Book book;
    openBook(book, path, OpenOptions{.readOnly = true});
    const SystemSettings settings = bookSettings(book);
    const AccountDirectory directory(book);
    QString text;
    int differing = 0;
    for (const BalanceAssertion &a : parsed) {
        const qint64 account = directory.require(a.account, QStringLiteral("--assert"));
        const LedgerResult ledger = computeLedger(book, {account, a.date, a.date, settings.finYearStart});
        if (ledger.closingBalance == a.amount)
            continue;
        ++differing;
        text += QStringLiteral("%1 on %2: the ledger closes at %3, not %4 (a difference of %5).\n")
                    .arg(a.account, formatReportDate(a.date, settings.dateFormat), ledger.closingBalance.toStandard(),
                         a.amount.toStandard(), (ledger.closingBalance - a.amount).toStandard());
    }
    if (differing == 0) {
        writeOut(QStringLiteral("Every balance asserted holds.\n"));
        return Success;
    }
    writeOut(text);
    return Refused;
}

} // namespace

int runCheck(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("check"),
                            QStringLiteral("Lists every row that the book's typed tables would refuse (table, row "
                                           "and fault), then what SQLite's integrity and foreign-key checks find. "
                                           "and every month whose kept balance differs from its transactions. "
                                           "Triggers, views, rules and indexes another program made in the book "
                                           "(or changed) are listed first: every other command refuses such a "
                                           "book. The book is opened read-only and never migrated. Exit status 1 "
                                           "when anything is listed."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("rebuild"), QString(),
                          QStringLiteral("First make the kept period balances afresh from the transactions, in one "
                                         "transaction (the book is opened for writing, and brought to this "
                                         "program's format if it is older)."));
    commandLine.addOption(QStringLiteral("repair"), QString(),
                          QStringLiteral("First remove the triggers, views, rules and indexes another program made "
                                         "in the book, put back this program's own where another program changed "
                                         "them, and make the kept period balances afresh, in one transaction each "
                                         "(the book is opened for writing)."));
    commandLine.addOption(QStringLiteral("assert"), QStringLiteral("\"ACCOUNT YYYY-MM-DD AMOUNT\""),
                          QStringLiteral("Instead, check that the account's ledger closes that day at that "
                                         "balance; repeatable. Exit status 1, naming each account that differs and "
                                         "by how much, when any does."));
    if (!commandLine.parse(arguments))
        return Success;
    if (commandLine.isSet(QStringLiteral("assert")))
        return checkAssertions(commandLine.positional(0), commandLine.values(QStringLiteral("assert")));
    const bool repair = commandLine.isSet(QStringLiteral("repair"));
    const bool rebuild = repair || commandLine.isSet(QStringLiteral("rebuild"));
    Book book;
    const OpenResult opened = openBook(book, commandLine.positional(0),
                                       OpenOptions{.readOnly = !rebuild,
                                                   .foreignObjects = repair ? ForeignObjects::Remove
                                                                            : ForeignObjects::Admit});
    for (const QString &removed : opened.removedObjects)
        writeOut(QStringLiteral("Removed the %1.\n").arg(removed));
    if (rebuild) {
        rebuildKeptBalances(book);
        writeOut(QStringLiteral("The kept period balances were made afresh from the transactions.\n"));
    }
    if (const QString leftToServer = checksLeftToServer(book); !leftToServer.isEmpty())
        writeOut(leftToServer + u'\n');
    const QStringList problems = bookProblems(book);
    if (problems.isEmpty() && book.isOnServer()) {
        writeOut(QStringLiteral("The book is sound: every key names a row and the kept balances agree with the "
                                "transactions.\n"));
        return Success;
    }
    if (problems.isEmpty()) {
        writeOut(QStringLiteral("The book is sound: every row is as this program writes it, and the integrity "
                                "and foreign-key checks found nothing.\n"));
        return Success;
    }
    writeOut(problems.join(u'\n') + u'\n');
    return Refused;
}

} // namespace bc::cli
