// brindlecot-cli: the book's reports, imports and exports from the command
// line, through the same core operations as the windows, without a display.
#include "clierror.h"
#include "commands.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

using bc::cli::CliError;

struct Command {
    const char *name;
    const char *summary;
    int (*run)(const QStringList &);
};

const Command commands[] = {
    {"new", "new BOOK [--fy-start DATE]    create a new book", bc::cli::runNew},
    {"accounts", "accounts BOOK                 list the accounts", bc::cli::runAccounts},
    {"ledger", "ledger BOOK --account NAME --from DATE --to DATE", bc::cli::runLedger},
    {"summary", "summary BOOK --from DATE --to DATE [--account NAME]... [--class CODES]", bc::cli::runSummary},
    {"income-statement", "income-statement BOOK --from DATE --to DATE [--period P] [--compare previous|year]",
     bc::cli::runIncomeStatement},
    {"balance-sheet", "balance-sheet BOOK --at DATE [--compare DATE]", bc::cli::runBalanceSheet},
    {"cash-flow", "cash-flow BOOK --from DATE --to DATE [--period month|quarter|year]", bc::cli::runCashFlow},
    {"transactions", "transactions BOOK [--from DATE --to DATE] [--from-account NAME] ...", bc::cli::runTransactions},
    {"import", "import BOOK accounts|transactions|statement FILE", bc::cli::runImport},
    {"export", "export BOOK accounts|transactions [--output FILE [--force]]", bc::cli::runExport},
    {"print", "print BOOK ledger|summary|transactions [options] --pdf FILE [--force]", bc::cli::runPrint},
    {"settings", "settings BOOK [--fy-start D] [--fy-end D] [--currency X] [--date-format F]", bc::cli::runSettings},
    {"check", "check BOOK                    list what is wrong with the book", bc::cli::runCheck},
    {"history", "history BOOK [--limit N]      list the changes saved in the book", bc::cli::runHistory},
    {"undo", "undo BOOK [CHANGE]            undo a change (the latest by default)", bc::cli::runUndo},
    {"backup", "backup BOOK [DEST]            copy the book, checked, into the backups folder or DEST",
     bc::cli::runBackup},
    {"restore", "restore BACKUP BOOK           put a backup in place of the book, keeping the book",
     bc::cli::runRestore},
    {"copy", "copy BOOK DEST                copy every row of the book into a new book file or server database",
     bc::cli::runCopy},
    {"reconcile", "reconcile BOOK --account NAME --date DATE --balance AMOUNT [--auto] [--dry-run]",
     bc::cli::runReconcile},
    {"reconciliations", "reconciliations BOOK --account NAME  list the statements reconciled",
     bc::cli::runReconciliations},
    {"lock", "lock BOOK --through DATE | --open  close the book through a date, or open it", bc::cli::runLock},
};

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stream);
}

void printUsage(FILE *stream)
{
    printLine(stream,
              QStringLiteral("Usage: brindlecot-cli COMMAND BOOK [options]\n\n"
                             "Dates are YYYY-MM-DD; amounts have two decimals, \"-\" for negatives.\n"
                             "Every command takes --help; --version prints the version. Commands:"));
    for (const Command &c : commands)
        printLine(stream, QStringLiteral("  ") + QString::fromUtf8(c.summary));
}

// The offscreen platform notes on every start that XDG_RUNTIME_DIR is unset,
// which is usual on servers and harmless for writing a PDF; other messages
// pass to Qt's own handler.
QtMessageHandler qtHandler = nullptr;
void quietPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (qtHandler)
        qtHandler(type, context, message);
    else
        printLine(stderr, message);
}

const Command *findCommand(const char *name)
{
    for (const Command &c : commands)
        if (qstrcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    const Command *command = argc > 1 ? findCommand(argv[1]) : nullptr;

    // Printing lays pages out with fonts, which needs a GUI application;
    // the offscreen platform gives one without a display.
    std::unique_ptr<QCoreApplication> app;
    if (command && command->run == bc::cli::runPrint) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qtHandler = qInstallMessageHandler(quietPlatformNotes);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("brindlecot-cli"));
    const QStringList arguments = QCoreApplication::arguments().mid(2);

    if (!command) {
        const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
        if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
            printUsage(stdout);
            return bc::cli::Success;
        }
        if (first == QLatin1String("--version")) {
            printLine(stdout, QStringLiteral("brindlecot-cli " BRINDLECOT_VERSION));
            return bc::cli::Success;
        }
        if (!first.isEmpty())
            printLine(stderr, QStringLiteral("brindlecot-cli: unknown command \"%1\"").arg(first));
        printUsage(stderr);
        return bc::cli::UsageError;
    }
    try {
        return command->run(arguments);
    } catch (const CliError &e) {
        printLine(stderr, QStringLiteral("brindlecot-cli: ") + e.message());
        return e.status();
    } catch (const bc::DbError &e) {
        printLine(stderr, QStringLiteral("brindlecot-cli: ") + e.description().simplified());
        return bc::cli::Refused;
    } catch (const std::exception &e) {
        printLine(stderr, QStringLiteral("brindlecot-cli: ") + QString::fromLocal8Bit(e.what()).simplified());
        return bc::cli::Refused;
    }
}
