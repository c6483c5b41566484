// Writes the benchmark data set: a book, and the same data as a plain-text
// journal, from a fixed seed.

#include "bookwriter.h"
#include "journalwriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

using namespace bc::bench;

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "bench-generate: %s\n", qPrintable(message));
    return 1;
}

QDate dateOption(const QCommandLineParser &parser, const QString &name, const QDate &fallback)
{
    return parser.isSet(name) ? QDate::fromString(parser.value(name), Qt::ISODate) : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Generates the benchmark book and journal."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("transactions"), QStringLiteral("Number of transactions."), QStringLiteral("N"),
         QStringLiteral("10000")},
        {QStringLiteral("accounts"), QStringLiteral("Number of accounts, the six built-in ones included."),
         QStringLiteral("N"), QStringLiteral("1000")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the data set."), QStringLiteral("N"),
         QStringLiteral("20240601")},
        {QStringLiteral("book"), QStringLiteral("The book to write (must not exist)."), QStringLiteral("PATH")},
        {QStringLiteral("journal"), QStringLiteral("The journal to write (optional)."), QStringLiteral("PATH")},
        {QStringLiteral("fy-start"), QStringLiteral("Financial-year start, YYYY-MM-DD."), QStringLiteral("DATE")},
        {QStringLiteral("fy-end"), QStringLiteral("Financial-year end, YYYY-MM-DD."), QStringLiteral("DATE")},
    });
    parser.process(app);

    DatasetSpec spec;
    bool ok = true;
    spec.transactionCount = parser.value(QStringLiteral("transactions")).toLongLong(&ok);
    if (!ok || spec.transactionCount < 0)
        return fail(QStringLiteral("--transactions needs a whole number of 0 or more"));
    spec.accountCount = parser.value(QStringLiteral("accounts")).toInt(&ok);
    if (!ok || spec.accountCount < 7 || spec.accountCount > 32767)
        return fail(QStringLiteral("--accounts needs a whole number from 7 to 32767"));
    spec.seed = parser.value(QStringLiteral("seed")).toULongLong(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed needs a whole number"));
    const FinancialYear year{dateOption(parser, QStringLiteral("fy-start"), QDate(2022, 1, 1)),
                             dateOption(parser, QStringLiteral("fy-end"), QDate(2022, 12, 31))};
    if (!year.start.isValid() || !year.end.isValid())
        return fail(QStringLiteral("--fy-start and --fy-end need dates of the form YYYY-MM-DD"));
    if (!parser.isSet(QStringLiteral("book")))
        return fail(QStringLiteral("--book is needed"));

    const std::vector<GeneratedAccount> accounts = generateAccounts(spec);
    if (const QString problem = writeBook(parser.value(QStringLiteral("book")), spec, accounts, year);
        !problem.isEmpty())
        return fail(problem);
    if (parser.isSet(QStringLiteral("journal"))) {
        const QString problem = writeJournal(parser.value(QStringLiteral("journal")), spec, accounts, year);
        if (!problem.isEmpty())
            return fail(problem);
    }
    return 0;
}
