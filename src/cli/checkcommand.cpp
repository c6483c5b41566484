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
                                           "The book is opened read-only and never migrated. Exit status 1 when "
                                           "anything is listed."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("rebuild"), QString(),
                          QStringLiteral("First make the kept period balances afresh from the transactions, in one "
                                         "transaction (the book is opened for writing, and brought to this "
                                         "program's format if it is older)."));
    if (!commandLine.parse(arguments))
        return Success;
    const bool rebuild = commandLine.isSet(QStringLiteral("rebuild"));
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = !rebuild});
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
