// Runs every case file in tests/cli/cases: each gives the book and files it
// starts from, one command line, and the exit status and output expected.
// The grammar, one directive a line ("#" lines and blank lines between
// directives are ignored):
//   accounts         the lines up to "end" are the CSV the tool imports as the
//                    accounts of the command's {book}
//   transactions     the lines up to "end" are the CSV the tool imports as the
//                    transactions of {book}, after its accounts; with either
//                    block {book} is a new book built so (against the server,
//                    a database built so); with neither, {book} names a file
//                    not there yet
//   foreign NAME     another program's SQLite database named NAME in {dir}
//   file NAME        the lines up to "end" are written to {dir}/NAME
//   run WORDS        the command line: words split at spaces, "double quotes"
//                    keep spaces; {book}, {dir} and {data} are replaced
//   exit N           the exit status (0 when not given)
//   stdout           the lines up to "end" are the whole output
//   stdout-file P    the whole output is the file tests/cli/P
//   stdout-starts T  the output begins with T
//   stderr-line T    the error output is one line that contains T
//   stderr-has T     the error output contains T
//   file-only        the case is about a book file's own behaviour: left out
//                    when the suite runs against the server
// Output that no directive expects must be empty, and a command that fails
// must leave every file in {dir} as it was and add none, and a server book's
// rows as they were.
#include "clirunner.h"
#include "serverbooks.h"
#include "testbook.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using bc::test::CliRun;
using bc::test::cli;
using bc::test::fileBytes;

namespace {

const QString Source = QStringLiteral(BRINDLECOT_CLI_SOURCE "/");

struct CliCase {
    QByteArray accounts;
    QByteArray transactions;
    bool fileOnly = false;
    QStringList foreign;
    QMap<QString, QByteArray> files;
    QString commandLine;
    int status = 0;
    std::optional<QByteArray> out;
    QString outFile;
    QByteArray outStart;
    QByteArray errLine;
    QByteArray errHas;
};

// Splits at spaces; a double-quoted stretch is one word without its quotes.
QStringList words(const QString &line)
{
    QStringList out;
    QString word;
    bool quoted = false, started = false;
    for (const QChar c : line) {
        if (c == u'"') {
            quoted = !quoted;
            started = true;
        } else if (c == u' ' && !quoted) {
            if (started)
                out << word;
            word.clear();
            started = false;
        } else {
            word += c;
            started = true;
        }
    }
    if (started)
        out << word;
    return out;
}

// Reads a case file; a line it does not understand fails the test.
CliCase readCase(const QString &path)
{
    CliCase c;
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    const auto block = [&](qsizetype &i) {
        QByteArray text;
        while (++i < lines.size() && lines[i] != "end")
            text += lines[i] + '\n';
        EXPECT_LT(i, lines.size()) << "a block without \"end\" in " << path.toStdString();
        return text;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = space < 0 ? line : line.left(space);
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
        if (key == "accounts" && rest.isEmpty())
            c.accounts = block(i);
        else if (key == "transactions" && rest.isEmpty())
            c.transactions = block(i);
        else if (key == "file-only" && rest.isEmpty())
            c.fileOnly = true;
        else if (key == "foreign")
            c.foreign << QString::fromUtf8(rest);
        else if (key == "file")
            c.files[QString::fromUtf8(rest)] = block(i);
        else if (key == "run")
            c.commandLine = QString::fromUtf8(rest);
        else if (key == "exit")
            c.status = rest.toInt();
        else if (key == "stdout" && rest.isEmpty())
            c.out = block(i);
        else if (key == "stdout-file")
            c.outFile = QString::fromUtf8(rest);
        else if (key == "stdout-starts")
            c.outStart = rest;
        else if (key == "stderr-line")
            c.errLine = rest;
        else if (key == "stderr-has")
            c.errHas = rest;
        else
            ADD_FAILURE() << path.toStdString() << ":" << i + 1 << ": not understood: " << line.toStdString();
    }
    return c;
}

// Every file in a folder with its bytes.
QMap<QString, QByteArray> folderBytes(const QString &dir)
{
    QMap<QString, QByteArray> out;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        out[name] = fileBytes(dir + u'/' + name);
    return out;
}

QStringList caseNames()
{
    return QDir(Source + QStringLiteral("cases")).entryList({QStringLiteral("*.case")}, QDir::Files, QDir::Name);
}

// Makes location a book by the tool: new, then the accounts and the
// transactions imported from the case's CSV text.
void buildBook(const QString &location, const CliCase &c)
{
    QTemporaryDir csv;
    const QString accounts = csv.filePath(QStringLiteral("accounts.csv"));
    const QString transactions = csv.filePath(QStringLiteral("transactions.csv"));
    ASSERT_TRUE(bc::test::writeBytes(accounts, c.accounts));
    ASSERT_TRUE(bc::test::writeBytes(transactions, c.transactions));
    bc::test::ok({QStringLiteral("new"), location});
    if (!c.accounts.isEmpty())
        bc::test::ok({QStringLiteral("import"), location, QStringLiteral("accounts"), accounts});
    if (!c.transactions.isEmpty())
        bc::test::ok({QStringLiteral("import"), location, QStringLiteral("transactions"), transactions});
}

// On the server, the book of a case: a database of the test cluster, copied
// from one built through the tool, and dropped after.
struct ServerBook {
    QString location;
    explicit ServerBook(const QString &built)
        : location(bc::test::newServerDatabase(built))
    {
    }
    ~ServerBook() { bc::test::dropServerDatabase(location); }
    ServerBook(const ServerBook &) = delete;
    ServerBook &operator=(const ServerBook &) = delete;
    // The book's accounts, transactions and history as the tool lists them.
    QByteArray rows() const
    {
        return bc::test::ok({QStringLiteral("export"), location, QStringLiteral("accounts")})
            + bc::test::ok({QStringLiteral("export"), location, QStringLiteral("transactions")})
            + bc::test::ok({QStringLiteral("history"), location});
    }
};

class CliCases : public ::testing::TestWithParam<QString> {
protected:
    // Cases mostly start from the same book: each book (a file, or a
    // database on the server) is built once, through the tool itself, and
    // copied for each case that starts from it.
    static QString builtBook(const CliCase &c)
    {
        const QByteArray input = c.accounts + '\0' + c.transactions;
        if (!builtBooks.contains(input)) {
            const QString location = bc::test::testsOnServer()
                ? bc::test::newServerDatabase()
                : builtDir->filePath(QStringLiteral("book%1.fd").arg(builtBooks.size()));
            builtBooks[input] = location;
            buildBook(location, c);
        }
        return builtBooks[input];
    }
    static void SetUpTestSuite() { builtDir = new QTemporaryDir; }
    static void TearDownTestSuite()
    {
        if (bc::test::testsOnServer()) {
            for (const QString &location : std::as_const(builtBooks))
                bc::test::dropServerDatabase(location);
        }
        builtBooks.clear();
        delete builtDir;
        builtDir = nullptr;
    }
    static inline QTemporaryDir *builtDir = nullptr;
    static inline QMap<QByteArray, QString> builtBooks;
};

TEST_P(CliCases, GivesTheExpectedStatusAndOutput)
{
    const QString path = Source + QStringLiteral("cases/") + GetParam();
    const CliCase c = readCase(path);
    ASSERT_FALSE(testing::Test::HasFailure());
    if (c.fileOnly && bc::test::testsOnServer())
        GTEST_SKIP() << "a book file's own behaviour";

    QTemporaryDir dir;
    QString book = dir.filePath(QStringLiteral("book.fd"));
    std::optional<ServerBook> server;
    const bool given = !c.accounts.isEmpty() || !c.transactions.isEmpty();
    if (given) {
        const QString built = builtBook(c);
        ASSERT_FALSE(HasFailure());
        if (bc::test::testsOnServer()) {
            server.emplace(built);
            book = server->location;
        } else {
            ASSERT_TRUE(QFile::copy(built, book));
        }
    }
    for (const QString &name : c.foreign)
        bc::test::createForeignDatabase(dir.filePath(name));
    for (auto file = c.files.cbegin(); file != c.files.cend(); ++file)
        ASSERT_TRUE(bc::test::writeBytes(dir.filePath(file.key()), file.value()));

    QStringList arguments = words(c.commandLine);
    for (QString &a : arguments)
        a.replace(QStringLiteral("{book}"), book)
            .replace(QStringLiteral("{dir}"), dir.path())
            .replace(QStringLiteral("{data}"), Source + QStringLiteral("data"));
    const QMap<QString, QByteArray> before = folderBytes(dir.path());
    // Only a case that fails has its server rows compared; one that should
    // succeed and fails is already caught by its status.
    const QByteArray rowsBefore = server && c.status != 0 ? server->rows() : QByteArray();
    const CliRun run = cli(arguments);
    const std::string context = GetParam().toStdString() + ": " + run.err.toStdString();

    EXPECT_EQ(run.status, c.status) << context;
    if (c.out)
        EXPECT_EQ(run.out, *c.out) << context;
    else if (!c.outFile.isEmpty())
        EXPECT_EQ(run.out, fileBytes(Source + c.outFile)) << context;
    else if (!c.outStart.isEmpty())
        EXPECT_TRUE(run.out.startsWith(c.outStart)) << context << run.out.toStdString();
    else
        EXPECT_TRUE(run.out.isEmpty()) << context << run.out.toStdString();
    if (!c.errLine.isEmpty()) {
        EXPECT_EQ(run.err.count('\n'), 1) << context;
        EXPECT_TRUE(run.err.contains(c.errLine)) << context;
    } else if (!c.errHas.isEmpty()) {
        EXPECT_TRUE(run.err.contains(c.errHas)) << context;
    } else {
        EXPECT_TRUE(run.err.isEmpty()) << context;
    }
    if (run.status != 0) {
        EXPECT_EQ(folderBytes(dir.path()), before) << context;
        if (server && c.status != 0) {
            EXPECT_EQ(server->rows(), rowsBefore) << context;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CliCases, ::testing::ValuesIn(caseNames()),
                         [](const ::testing::TestParamInfo<QString> &info) {
                             QString name = info.param.chopped(5);
                             for (QChar &c : name)
                                 if (!c.isLetterOrNumber())
                                     c = u'_';
                             return name.toStdString();
                         });

} // namespace
