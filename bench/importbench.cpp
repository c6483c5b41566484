// Times a bank statement import: a CSV statement of many lines (100,000 by
// default) read and previewed, then applied, into a new book (a book file,
// or a server database given with --book). Prints the figures as one JSON
// object.

#include "book.h"
#include "sql.h"
#include "statementimport.h"
#include "statementreader.h"
#include "timing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

using namespace bc;
using namespace bc::bench;

namespace {

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "importbench: %s\n", qPrintable(message));
    std::exit(1);
}

// A bank's CSV export: a header, then date, signed amount and payee, some
// lines in, most out, over a few years.
QByteArray statementCsv(int lines)
{
    QByteArray csv = "Date,Amount,Payee\n";
    const QDate first(2020, 1, 1);
    for (int i = 0; i < lines; ++i) {
        const qint64 cents = i % 9 == 0 ? 150000 + i % 977 : -(100 + (i * 37) % 25000);
        csv += first.addDays(i / 80).toString(Qt::ISODate).toLatin1() + ','
            + Money::fromCents(cents).toPlain().toLatin1() + ",Payee " + QByteArray::number(i % 1500) + '\n';
    }
    return csv;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("lines"), QStringLiteral("Statement lines."), QStringLiteral("N"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("book"),
                      QStringLiteral("Make the book here, such as an empty database of a server (default: a new "
                                     "book file)."),
                      QStringLiteral("LOCATION")});
    parser.process(app);
    const int lines = parser.value(QStringLiteral("lines")).toInt();

    QTemporaryDir dir;
    const QString path = parser.isSet(QStringLiteral("book")) ? parser.value(QStringLiteral("book"))
                                                              : dir.filePath(QStringLiteral("import.fd"));
    if (const QString failure = Book::create(path); !failure.isEmpty())
        fail(failure);
    Book book;
    if (const OpenResult r = book.open(path); !r.ok())
        fail(r.description);
    runSql(connectionOf(book),
           QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                          "particulars, version_date) VALUES (100, 'Bank', 4, 0, NULL, NULL), "
                          "(101, 'Uncategorised', 3, 0, NULL, NULL)"));
    const QByteArray csv = statementCsv(lines);

    const Stopwatch previewWall;
    const CpuStopwatch previewCpu;
    const Statement statement = readStatement(csv, StatementFormat::Csv, StatementReadOptions());
    const StatementPreview preview = previewImport(book, statement, 100, 101);
    const double previewMs = previewWall.ms(), previewCpuMs = previewCpu.ms();

    const Stopwatch applyWall;
    const CpuStopwatch applyCpu;
    const ImportResult applied = applyImport(book, preview, QDateTime::currentDateTime());
    const double applyMs = applyWall.ms(), applyCpuMs = applyCpu.ms();
    if (!applied.ok || applied.added != lines)
        fail(QStringLiteral("the import was refused: %1").arg(applied.text));

    const Stopwatch againWall;
    const CpuStopwatch againCpu;
    const StatementPreview again = previewImport(book, statement, 100, 101);
    const double againMs = againWall.ms(), againCpuMs = againCpu.ms();
    if (importTotals(again).duplicates != lines)
        fail(QStringLiteral("the second preview does not find every line imported"));

    const QJsonObject result{{QStringLiteral("lines"), lines},
                             {QStringLiteral("read_and_preview_ms"), previewMs},
                             {QStringLiteral("read_and_preview_cpu_ms"), previewCpuMs},
                             {QStringLiteral("apply_ms"), applyMs},
                             {QStringLiteral("apply_cpu_ms"), applyCpuMs},
                             {QStringLiteral("preview_of_imported_statement_ms"), againMs},
                             {QStringLiteral("preview_of_imported_statement_cpu_ms"), againCpuMs}};
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Indented).constData());
    return 0;
}
