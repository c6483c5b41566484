#include "bookaccess.h"
#include "bookcheck.h"
#include "commandline.h"
#include "commands.h"
#include "output.h"

namespace bc::cli {

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
    if (!commandLine.parse(arguments))
        return Success;
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
