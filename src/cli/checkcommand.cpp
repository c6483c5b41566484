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
                                           "The book is opened read-only and never migrated. Exit status 1 when "
                                           "anything is listed."),
                            {QStringLiteral("BOOK")});
    if (!commandLine.parse(arguments))
        return Success;
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = true});
    const QStringList problems = bookProblems(book);
    if (problems.isEmpty()) {
        writeOut(QStringLiteral("The book is sound: every row is as this program writes it, and the integrity "
                                "and foreign-key checks found nothing.\n"));
        return Success;
    }
    writeOut(problems.join(u'\n') + u'\n');
    return Refused;
}

} // namespace bc::cli
