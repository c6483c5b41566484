#include "book.h"
#include "bookwriter.h"
#include "journalwriter.h"
#include "sql.h"
#include "systemsettings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;
using namespace bc::bench;

namespace {

QByteArray fingerprint(const DatasetSpec &spec)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const GeneratedAccount &a : generateAccounts(spec))
        hash.addData(QStringLiteral("%1|%2|%3|%4\n").arg(a.id).arg(a.name).arg(a.type).arg(a.opening).toUtf8());
    generateTransactions(spec, [&](const GeneratedTransaction &t) {
        hash.addData(QStringLiteral("%1|%2|%3|%4|%5|%6\n")
                         .arg(t.id)
                         .arg(t.date.toString(Qt::ISODate))
                         .arg(t.from)
                         .arg(t.to)
                         .arg(t.amount)
                         .arg(t.particulars)
                         .toUtf8());
    });
    return hash.result();
}

qint64 scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q = runSql(db, sql);
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

TEST(BenchData, SameSeedSameDataOtherSeedOtherData)
{
    DatasetSpec spec;
    spec.transactionCount = 5000;
    EXPECT_EQ(fingerprint(spec), fingerprint(spec));
    DatasetSpec other = spec;
    other.seed += 1;
    EXPECT_NE(fingerprint(spec), fingerprint(other));
}

TEST(BenchData, TransactionsKeepTheirShape)
{
    DatasetSpec spec;
    spec.transactionCount = 20000;
    spec.accountCount = 200;
    qint64 expectedId = 1;
    QDate previous = spec.firstDay;
    qint64 busy = 0;
    generateTransactions(spec, [&](const GeneratedTransaction &t) {
        ASSERT_EQ(t.id, expectedId++);
        ASSERT_NE(t.from, t.to);
        ASSERT_TRUE(t.from >= 1 && t.from <= spec.accountCount && t.to >= 1 && t.to <= spec.accountCount);
        ASSERT_TRUE(t.amount >= 1 && t.amount <= 999999) << t.amount;
        ASSERT_GE(t.date, previous);
        ASSERT_LE(t.date, spec.lastDay);
        previous = t.date;
        busy += t.from == spec.busyAccount || t.to == spec.busyAccount;
    });
    EXPECT_EQ(expectedId, spec.transactionCount + 1);
    // About one transaction in a hundred touches the busy account.
    EXPECT_GT(busy, spec.transactionCount / 200);
    EXPECT_LT(busy, spec.transactionCount / 50);
}

TEST(BenchData, BookAndJournalHoldTheSameData)
{
    QTemporaryDir dir;
    DatasetSpec spec;
    spec.transactionCount = 300;
    spec.accountCount = 40;
    const auto accounts = generateAccounts(spec);
    const FinancialYear year{QDate(2022, 4, 1), QDate(2023, 3, 31)};
    const QString bookPath = dir.filePath(QStringLiteral("b.fd"));
    const QString journalPath = dir.filePath(QStringLiteral("j.journal"));
    ASSERT_EQ(writeBook(bookPath, spec, accounts, year), QString());
    ASSERT_EQ(writeJournal(journalPath, spec, accounts, year), QString());
    EXPECT_NE(writeBook(bookPath, spec, accounts, year), QString()) << "an existing file is never overwritten";

    qint64 total = 0;
    generateTransactions(spec, [&](const GeneratedTransaction &t) { total += t.amount; });
    Book book;
    ASSERT_TRUE(book.open(bookPath).ok());
    EXPECT_EQ(scalar(connectionOf(book), QStringLiteral("SELECT count(*) FROM transaction_master")), 300);
    EXPECT_EQ(scalar(connectionOf(book), QStringLiteral("SELECT sum(amount) FROM transaction_master")), total);
    EXPECT_EQ(scalar(connectionOf(book), QStringLiteral("SELECT count(*) FROM account_master")), 40);
    // The indexes dropped for the load are back.
    EXPECT_EQ(scalar(connectionOf(book),
                     QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                                    "('transaction_from_side', 'transaction_to_side', 'transaction_date')")),
              3);
    SystemSettings settings;
    LoadSystemSettings(book, settings);
    EXPECT_EQ(settings.finYearStart, year.start);

    QFile journal(journalPath);
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(journal.readAll()).split(u'\n');
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d "))).size(), 301);
    EXPECT_TRUE(lines.contains(QStringLiteral("2022-04-01 Opening balances")));
    // Postings only: the account declarations at the top name CASH too.
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^    Accounts:CASH  "))).size()
                  + lines.filter(QRegularExpression(QStringLiteral("^    Accounts:CASH$"))).size(),
              scalar(connectionOf(book),
                     QStringLiteral("SELECT count(*) FROM transaction_master WHERE from_acc = 4 OR to_acc = 4")));
}
