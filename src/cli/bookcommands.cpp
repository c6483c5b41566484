#include "accountcsv.h"
#include "autobackup.h"
#include "bookaccess.h"
#include "commandline.h"
#include "commands.h"
#include "datepattern.h"
#include "financialstatements.h"
#include "output.h"
#include "texttable.h"
#include "transactioncsv.h"

#include <QDateTime>
#include <QFile>
#include <QScopeGuard>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace bc::cli {

namespace {

// Reports progress of long imports on a terminal only, so that scripts
// reading standard error see nothing but the one-line message of a refusal.
ImportProgress terminalProgress()
{
    if (!isatty(STDERR_FILENO))
        return {};
    return [](int done, int total) {
        if (total >= 10000 && (done % 10000 == 0 || done == total))
            std::fprintf(stderr, "brindlecot-cli: checked %d of %d records%s", done, total,
                         done == total ? ", saving\n" : "\r");
    };
}

// Progress of a transaction import on a terminal, on one line rewritten
// in place; shown is set once it has written, so the caller ends that line.
StreamProgress terminalStreamProgress(qint64 fileSize, bool &shown)
{
    if (!isatty(STDERR_FILENO))
        return {};
    return [fileSize, &shown](qint64 records, qint64 bytesRead) {
        if (records % 10000 != 0)
            return;
        shown = true;
        const int percent = fileSize > 0 ? int(qMin<qint64>(100, bytesRead * 100 / fileSize)) : 0;
        std::fprintf(stderr, "brindlecot-cli: imported %lld records (%d%% of the file)\r",
                     static_cast<long long>(records), percent);
    };
}

volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int)
{
    interrupted = 1;
}

// While it lives, Ctrl+C (SIGINT) does not end the process but asks the
// import to stop at its next record, so that it rolls back and says so.
class InterruptCatcher {
public:
    InterruptCatcher()
    {
        interrupted = 0;
        struct sigaction action = {};
        action.sa_handler = noteInterrupt;
        action.sa_flags = SA_RESTART; // a read waiting for the file goes on waiting
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptCatcher() { sigaction(SIGINT, &m_previous, nullptr); }
    InterruptCatcher(const InterruptCatcher &) = delete;
    InterruptCatcher &operator=(const InterruptCatcher &) = delete;
    static bool caught() { return interrupted != 0; }

private:
    struct sigaction m_previous = {};
};

} // namespace

// A file beyond any plausible import (or an endless device) is refused rather
// than read until memory runs out.
QByteArray readInput(const QString &path)
{
    constexpr qint64 Largest = qint64(512) << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refusal(QStringLiteral("cannot read \"%1\": %2").arg(path, file.errorString()));
    const auto tooLarge = [&] { return refusal(QStringLiteral("\"%1\" is larger than 512 MiB").arg(path)); };
    if (!file.isSequential() && file.size() > Largest)
        throw tooLarge();
    QByteArray data;
    for (QByteArray chunk; !(chunk = file.read(1 << 20)).isEmpty();) {
        data += chunk;
        if (data.size() > Largest)
            throw tooLarge();
    }
    if (file.error() != QFileDevice::NoError)
        throw refusal(QStringLiteral("cannot read \"%1\": %2").arg(path, file.errorString()));
    return data;
}

namespace {

// The date pattern and amount separators of a transactions file, from the
// options of import.
TransactionCsvFormat transactionCsvFormat(const CommandLine &commandLine)
{
    TransactionCsvFormat format;
    if (commandLine.isSet(QStringLiteral("date-format"))) {
        format.datePattern = commandLine.requiredValue(QStringLiteral("date-format"));
        if (!isDatePattern(format.datePattern))
            throw usageError(QStringLiteral("--date-format: \"%1\" is not a pattern of day, month and year "
                                            "such as d/M/yyyy or yyyy/MM/dd")
                                 .arg(format.datePattern));
    }
    if (commandLine.isSet(QStringLiteral("decimal"))) {
        const QString decimal = commandLine.requiredValue(QStringLiteral("decimal"));
        if (decimal != QLatin1String(".") && decimal != QLatin1String(","))
            throw usageError(QStringLiteral("--decimal: \"%1\" is neither . nor ,").arg(decimal));
        format.amounts.decimalSeparator = decimal.front();
        if (decimal == QLatin1String(","))
            format.amounts.thousandsSeparators = QStringLiteral(". ");
    }
    if (commandLine.isSet(QStringLiteral("thousands"))) {
        format.amounts.thousandsSeparators = commandLine.requiredValue(QStringLiteral("thousands"));
        for (const QChar c : format.amounts.thousandsSeparators)
            if (c == format.amounts.decimalSeparator || c.isDigit() || c == u'-' || c == u'(' || c == u')')
                throw usageError(QStringLiteral("--thousands: \"%1\" cannot group thousands").arg(c));
    }
    return format;
}

const QString &tableKind(const CommandLine &commandLine, int position)
{
    static const QString accounts = QStringLiteral("accounts"), transactions = QStringLiteral("transactions");
    const QString kind = commandLine.positional(position);
    if (kind == accounts)
        return accounts;
    if (kind == transactions)
        return transactions;
    throw usageError(QStringLiteral("\"%1\" is neither accounts nor transactions").arg(kind));
}

} // namespace

int runNew(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("new"),
                            QStringLiteral("Creates a new, empty book, without a financial-year start unless "
                                           "--fy-start is given. An existing file is never overwritten."),
                            {QStringLiteral("BOOK")});
    addYearStartOption(commandLine);
    if (!commandLine.parse(arguments))
        return Success;
    const bool yearStart = commandLine.isSet(QStringLiteral("fy-start"))
        && !commandLine.requiredValue(QStringLiteral("fy-start")).trimmed().isEmpty();
    if (yearStart)
        commandLine.date(QStringLiteral("fy-start")); // a wrong date refuses before the file is made
    if (const QString failure = Book::create(commandLine.positional(0)); !failure.isEmpty())
        throw refusal(oneLine(failure));
    if (yearStart) {
        Book book;
        openBook(book, commandLine.positional(0));
        changeSettings(book, commandLine);
    }
    return Success;
}

int runAccounts(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("accounts"),
                            QStringLiteral("Lists the accounts in name order, after saving the \"cash or bank\" "
                                           "setting of those named."),
                            {QStringLiteral("BOOK")});
    commandLine.addOption(QStringLiteral("cash-or-bank"), QStringLiteral("NAME"),
                          QStringLiteral("Make the account a cash or bank account, which the cash flow follows; "
                                         "may be repeated."));
    commandLine.addOption(QStringLiteral("not-cash-or-bank"), QStringLiteral("NAME"),
                          QStringLiteral("Make the account no cash or bank account; may be repeated."));
    commandLine.addFormatOption();
    if (!commandLine.parse(arguments))
        return Success;
    const OutputFormat format = commandLine.format();
    Book book;
    openBook(book, commandLine.positional(0));
    std::vector<CashSetting> settings;
    const AccountDirectory directory(book);
    for (const bool cashOrBank : {true, false}) {
        const QString option = cashOrBank ? QStringLiteral("cash-or-bank") : QStringLiteral("not-cash-or-bank");
        for (const QString &name : commandLine.values(option))
            settings.push_back({directory.require(name, QStringLiteral("--") + option), cashOrBank});
    }
    if (!settings.empty())
        setCashAccounts(book, settings);
    writeOut(accountTable(book, true).render(format));
    return Success;
}

namespace {

// Whether a file holds more lines than limit, read a block at a time and
// then rewound: a record spans one line or more, so a file of no more lines
// than that holds no more records.
bool moreLinesThan(QIODevice &file, qint64 limit)
{
    qint64 lines = 0;
    while (lines <= limit) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        lines += block.count('\n');
    }
    file.seek(0);
    return lines > limit;
}

int importTransactionFile(const QString &bookPath, const QString &path, const TransactionCsvFormat &format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refusal(QStringLiteral("cannot read \"%1\": %2").arg(path, file.errorString()));
    Book book;
    openBook(book, bookPath);
    // The records are counted by an upper bound, the lines after the header.
    if (!file.isSequential() && moreLinesThan(file, LargeImportRows + 1))
        backUpBeforeImport(book, LargeImportRows + 1, backupsFolder(), QDateTime::currentDateTime());
    bool progressShown = false;
    const auto endLine = qScopeGuard([&progressShown] {
        if (progressShown)
            std::fputc('\n', stderr);
    });
    const InterruptCatcher interrupts;
    importTransactions(book, file, format, terminalStreamProgress(file.size(), progressShown),
                       &InterruptCatcher::caught);
    return Success;
}

} // namespace

int runImport(const QStringList &arguments)
{
    if (arguments.value(1) == QLatin1String("statement"))
        return runImportStatement(arguments);
    CommandLine commandLine(QStringLiteral("import"),
                            QStringLiteral("Adds the records of a CSV file to the book, all or nothing, "
                                           "through the checks of the windows' Save.\n"
                                           "accounts: columns name,type,opening,particulars; a record of a name "
                                           "in the book already is refused unless it is identical to the account "
                                           "or --update is given.\n"
                                           "transactions: columns date,from,to,amount,particulars, accounts "
                                           "by name.\n"
                                           "statement: a bank statement; see brindlecot-cli import BOOK statement "
                                           "--help."),
                            {QStringLiteral("BOOK"), QStringLiteral("accounts|transactions|statement"),
                             QStringLiteral("FILE")});
    commandLine.addOption(QStringLiteral("date-format"), QStringLiteral("PATTERN"),
                          QStringLiteral("How the dates of a transactions file are written, in any order of "
                                         "d or dd, M or MM, yy or yyyy: d/M/yyyy, M/d/yyyy, yyyy/MM/dd, "
                                         "dd.MM.yyyy (default yyyy-MM-dd)."));
    commandLine.addOption(QStringLiteral("decimal"), QStringLiteral("CHAR"),
                          QStringLiteral("The decimal separator of the amounts: \".\" (default) or \",\"."));
    commandLine.addOption(QStringLiteral("thousands"), QStringLiteral("CHARS"),
                          QStringLiteral("The characters that may group thousands (default \", \" with the "
                                         "decimal point, \". \" with the decimal comma). Amounts may also "
                                         "carry $, \u20ac or \u00a3 and show a negative amount in parentheses."));
    commandLine.addOption(QStringLiteral("update"), QString(),
                          QStringLiteral("accounts: change an account already in the book with the record's "
                                         "non-empty fields; empty fields keep what the book holds."));
    if (!commandLine.parse(arguments))
        return Success;
    const QString kind = tableKind(commandLine, 1);
    if (commandLine.isSet(QStringLiteral("update")) && kind != QLatin1String("accounts"))
        throw usageError(QStringLiteral("--update applies to accounts only"));
    const TransactionCsvFormat csvFormat = transactionCsvFormat(commandLine);
    if (kind == QLatin1String("transactions"))
        return importTransactionFile(commandLine.positional(0), commandLine.positional(2), csvFormat);
    const CsvReadResult csv = readCsv(readInput(commandLine.positional(2)));
    if (!csv.ok())
        throw refusal(QStringLiteral("line %1: %2").arg(csv.errorLine).arg(csv.error));

    Book book;
    openBook(book, commandLine.positional(0));
    // The first record is the header.
    backUpBeforeImport(book, csv.records.size() - 1, backupsFolder(), QDateTime::currentDateTime());
    importAccounts(book, csv.records,
                   commandLine.isSet(QStringLiteral("update")) ? ExistingAccounts::Update : ExistingAccounts::Refuse,
                   terminalProgress());
    return Success;
}

int runExport(const QStringList &arguments)
{
    CommandLine commandLine(QStringLiteral("export"),
                            QStringLiteral("Writes the accounts or the transactions as CSV that import reads "
                                           "back to the same book contents."),
                            {QStringLiteral("BOOK"), QStringLiteral("accounts|transactions")});
    commandLine.addOption(QStringLiteral("output"), QStringLiteral("FILE"),
                          QStringLiteral("Write to this file instead of standard output."));
    addForceOption(commandLine);
    if (!commandLine.parse(arguments))
        return Success;
    const QString kind = tableKind(commandLine, 1);
    std::optional<OutputFile> output;
    if (commandLine.isSet(QStringLiteral("output")))
        output.emplace(commandLine.requiredValue(QStringLiteral("output")), commandLine.positional(0),
                       commandLine.isSet(QStringLiteral("force")));
    Book book;
    openBook(book, commandLine.positional(0));
    const QString csv = kind == QLatin1String("accounts") ? accountTable(book, false).toCsv()
                                                          : transactionExportTable(book).toCsv();
    if (output)
        output->write(csv.toUtf8());
    else
        writeOut(csv);
    return Success;
}

} // namespace bc::cli
