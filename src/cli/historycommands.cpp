#include "bookaccess.h"
#include "commandline.h"
#include "commands.h"
#include "history.h"
#include "historyundo.h"
#include "output.h"
#include "reconciliation.h"

namespace bc::cli {

namespace {

QString historyLine(const ChangeSet &set)
{
    QString line = QStringLiteral("%1  %2  %3  %4  %5")
                       .arg(set.id)
                       .arg(set.madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), set.user, set.source,
                            set.summary);
    if (set.undoneBy != 0)
        line += QStringLiteral("  (undone by %1)").arg(set.undoneBy);
    return line;
}

} // namespace

int runHistory(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("history"),
                            QStringLiteral("Lists the book's change sets, newest first, one a line: number, when, "
                                           "who, the window or command that made it, what it changed, and which "
                                           "change undid it. The book is opened read-only."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("limit"), QStringLiteral("N"), QStringLiteral("List only the latest N."));
    if (!commandLine.parse(arguments))
        return Success;
    int limit = 0;
    if (commandLine.isSet(QStringLiteral("limit"))) {
        bool isNumber = false;
        limit = commandLine.requiredValue(QStringLiteral("limit")).toInt(&isNumber);
        if (!isNumber || limit < 1)
            throw usageError(QStringLiteral("history: --limit takes a whole number of 1 or more"));
    }
    Book book;
    openBook(book, commandLine.positional(0), OpenOptions{.readOnly = true});
    QString text;
    for (const ChangeSet &set : changeHistory(book, limit))
        text += historyLine(set) + u'\n';
    writeOut(text);
    return Success;
}

int runUndo(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("undo"),
                            QStringLiteral("Undoes change CHANGE of the book's history (see history), or the latest "
                                           "change not undone. The undo is a change of its own, so undoing it "
                                           "redoes the change. Refused, with the reason, when a later change "
                                           "touched the same rows."),
                            {QStringLiteral("BOOK"), QStringLiteral("[CHANGE]")});
    commandLine.addOption(QStringLiteral("force"), QString(),
                          QStringLiteral("Undo even when it changes or takes away a transaction reconciled with a "
                                         "bank statement."));
    if (!commandLine.parse(arguments))
        return Success;
    Book book;
    openBook(book, commandLine.positional(0));
    qint64 id = 0;
    if (const QString change = commandLine.positional(1); !change.isEmpty()) {
        bool isNumber = false;
        id = change.toLongLong(&isNumber);
        if (!isNumber || id < 1)
            throw usageError(QStringLiteral("undo: CHANGE is the number of a change set, as history lists it"));
    } else if (const std::optional<ChangeSet> latest = undoTarget(book)) {
        id = latest->id;
    } else {
        throw refusal(QStringLiteral("The book's history holds no change to undo."));
    }
    if (!commandLine.isSet(QStringLiteral("force")))
        if (const QList<ReconciledSide> sides = reconciledSidesAnUndoChanges(book, id); !sides.isEmpty())
            throw refusal(reconciledChangeRefusal(sides, bookSettings(book).dateFormat));
    const UndoResult result = undoChange(book, id, QStringLiteral("undo"));
    if (!result.ok)
        throw refusal(result.message);
    writeOut(result.message + u'\n');
    return Success;
}

} // namespace bc::cli
