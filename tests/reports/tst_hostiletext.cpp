// Text a user can type, at its most awkward: quotes, semicolons, comment
// marks, LIKE wildcards, backslashes, letters beyond ASCII, a thousand
// characters and nothing at all. Each must be stored exactly, found exactly,
// shown exactly in the ledger, the summary and the printed reports, and
// never be taken for SQL.
#include "accounts.h"
#include "book.h"
#include "dates.h"
#include "hostiletext.h"
#include "ledger.h"
#include "reportrenderer.h"
#include "settingsfile.h"
#include "sql.h"
#include "summary.h"
#include "systemsettings.h"
#include "testbook.h"
#include "transactions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;
using bc::test::asciiLower;
using bc::test::decoyNames;
using bc::test::hostileTexts;

namespace {

const QDate Today(2026, 1, 15);
const QString Format = QString::fromLatin1(DayFirstFormat);

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QString pdfText(const QString &path, const ReportData &data)
{
    const RenderResult result = renderReportToPdf(path, data, {Today, Format});
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    QProcess tool;
    // In drawing order, blanks and line breaks folded: a text wrapped over
    // several lines of its cell reads as one.
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, QStringLiteral("-")});
    EXPECT_TRUE(tool.waitForFinished(60000));
    return QString::fromUtf8(tool.readAllStandardOutput()).simplified();
}

struct HostileBook : ::testing::Test {
    TestBook t;
    QMap<QString, qint64> ids; // account id per name

    // Saves one account per awkward text (its particulars the same text) and
    // the decoys, through the account save, then one transaction per text
    // from CASH to that account with the text as its particulars.
    void SetUp() override
    {
        RowArray rows = makeAccountRows();
        for (const QString &name : hostileTexts() + decoyNames()) {
            if (name.isEmpty())
                continue;
            const int r = rows.appendRow();
            rows.setText(r, AccountCol::Name, name);
            rows.setInt(r, AccountCol::Type, 1);
            rows.setMoney(r, AccountCol::Opening, Money::fromCents(100));
            rows.setText(r, AccountCol::Particulars, name);
            rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
        }
        const AccountSaveResult saved = saveAccounts(t.book(), rows, Today);
        ASSERT_TRUE(saved.ok()) << saved.text.toStdString() << saved.detail.toStdString();
        for (const IdName &a : accountNames(t.book()))
            ids.insert(a.name, a.id);

        RowArray tran = makeTranRows();
        for (int k = 0; k < hostileTexts().size(); ++k) {
            const int r = tran.appendRow();
            tran.setDate(r, TranCol::Date, QDate(2025, 6, 1 + k));
            tran.setKey(r, TranCol::From, {AccountSide::Account, 4});
            tran.setKey(r, TranCol::To,
                        {AccountSide::Account,
                         ids.value(hostileTexts()[k].isEmpty() ? QStringLiteral("SALES") : hostileTexts()[k])});
            tran.setMoney(r, TranCol::Amount, Money::fromCents(1000 + k));
            tran.setText(r, TranCol::Particulars, hostileTexts()[k]);
            tran.setEditMark(r, TranCol::Status, EditMark::Changed);
        }
        const TranSaveResult savedTran = saveTransactions(t.book(), tran, QDateTime(Today, QTime(9, 0)));
        ASSERT_TRUE(savedTran.ok()) << savedTran.text.toStdString() << savedTran.detail.toStdString();
    }

    LedgerResult ledgerOf(qint64 id)
    {
        return computeLedger(t.book(), {id, QDate(2025, 1, 1), QDate(2025, 12, 31), QDate(2025, 1, 1)});
    }
};

} // namespace

TEST_F(HostileBook, NamesAndParticularsAreStoredAndFoundExactly)
{
    // Stored exactly, nothing executed: the tables are all there, the book
    // is intact, and an empty name was refused rather than stored.
    const AccountFindResult all = findAccounts(t.book(), QString(), QString(), QString());
    QStringList names, particulars;
    for (int r = 0; r < all.rows.rowCount(); ++r) {
        names << all.rows.textAt(r, AccountCol::Name);
        if (all.rows.intAt(r, AccountCol::Id) > 6)
            particulars << all.rows.textAt(r, AccountCol::Particulars);
    }
    QStringList expected = hostileTexts().mid(0, hostileTexts().size() - 1) + decoyNames();
    EXPECT_EQ(sorted(particulars), sorted(expected));
    expected << QStringLiteral("RST") << QStringLiteral("SC") << QStringLiteral("CST") << QStringLiteral("CASH")
             << QStringLiteral("SALES") << QStringLiteral("PURCHASE");
    EXPECT_EQ(sorted(names), sorted(expected));
    QSqlQuery check = runSql(t.db(), QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
    RowArray empty = makeAccountRows();
    empty.appendRow();
    empty.setEditMark(0, AccountCol::Status, EditMark::Changed);
    EXPECT_EQ(saveAccounts(t.book(), empty, Today).outcome, AccountSaveResult::Outcome::EmptyName);

    // The name filter finds the names that begin with it, wildcards and
    // backslashes meaning themselves.
    for (const QString &filter : hostileTexts()) {
        QStringList want;
        for (const QString &name : names)
            if (asciiLower(name).startsWith(asciiLower(filter)))
                want << name;
        QStringList found;
        const AccountFindResult result = findAccounts(t.book(), filter, QString(), QString());
        for (int r = 0; r < result.rows.rowCount(); ++r)
            found << result.rows.textAt(r, AccountCol::Name);
        EXPECT_EQ(sorted(found), sorted(want)) << filter.left(40).toStdString();
    }

    // The particulars search finds the transactions whose particulars hold
    // the text; the empty text finds them all.
    for (const QString &text : hostileTexts()) {
        TranSearch search;
        search.particulars = text;
        const TranFindResult result = findTransactions(t.book(), search);
        QStringList found;
        for (int r = 0; r < result.rows.rowCount(); ++r)
            found << result.rows.textAt(r, TranCol::Particulars);
        QStringList want;
        for (const QString &p : hostileTexts())
            if (asciiLower(p).contains(asciiLower(text)))
                want << p;
        EXPECT_EQ(sorted(found), sorted(want)) << text.left(40).toStdString();
    }
}

TEST_F(HostileBook, LedgerSummaryAndPrintedReportsShowTheTextsAsTyped)
{
    // CASH's ledger names each account and its particulars.
    const LedgerResult cash = ledgerOf(4);
    ASSERT_EQ(qsizetype(cash.movements.size()), hostileTexts().size());
    for (int k = 0; k < hostileTexts().size(); ++k) {
        const QString name = hostileTexts()[k].isEmpty() ? QStringLiteral("SALES") : hostileTexts()[k];
        EXPECT_EQ(ledgerParticulars(cash.movements[size_t(k)]),
                  QStringLiteral("To ") + name + QStringLiteral(" [") + hostileTexts()[k] + u']');
    }

    SummaryInput in;
    for (const QString &name : hostileTexts())
        if (!name.isEmpty())
            in.accounts.push_back({ids.value(name), AccountSide::Account, name});
    in.fromDate = QDate(2025, 1, 1);
    in.toDate = QDate(2025, 12, 31);
    in.finYearStart = in.fromDate;
    const SummaryResult summary = computeSummary(t.book(), in);
    ASSERT_EQ(summary.listed.size(), in.accounts.size());
    for (size_t i = 0; i < summary.listed.size(); ++i)
        EXPECT_EQ(summary.listed[i].name, in.accounts[i].name);

    // The printed reports: every text appears on the page as it was typed,
    // at least as far as its cell holds it (a few lines, then cut short).
    QTemporaryDir dir;
    const TranFindResult listed = findTransactions(t.book(), TranSearch{});
    const QString list = pdfText(dir.filePath(QStringLiteral("list.pdf")),
                                 transactionListData(listed.rows, [&](const AccountKey &key) {
                                     return GetAccName(t.book(), key.toText());
                                 }));
    const QString ledger = pdfText(dir.filePath(QStringLiteral("ledger.pdf")),
                                   LedgerReportData{cash,
                                                    {QStringLiteral("CASH"), in.fromDate, in.toDate,
                                                     cash.openingBalance, cash.closingBalance}});
    const QString printedSummary = pdfText(dir.filePath(QStringLiteral("summary.pdf")),
                                           SummaryReportData{summary, {}, in.fromDate, in.toDate});
    for (const QString &text : hostileTexts()) {
        const QString shown = text.left(20);
        EXPECT_TRUE(list.contains(shown)) << text.left(40).toStdString();
        EXPECT_TRUE(ledger.contains(shown)) << text.left(40).toStdString();
        EXPECT_TRUE(text.isEmpty() || printedSummary.contains(shown)) << text.left(40).toStdString();
    }
}

TEST(HostileText, SettingsAndTheBookPathRoundTrip)
{
    TestBook t;
    for (const QString &text : hostileTexts()) {
        SystemSettingsInput in;
        in.userName = text;
        in.password = text;
        in.currency = text;
        in.finYearStart = QDate(2025, 1, 1);
        in.finYearEnd = QDate(2025, 12, 31);
        saveSystemSettings(t.book(), in, Today);
        SystemSettings loaded;
        LoadSystemSettings(t.book(), loaded);
        EXPECT_EQ(loaded.userName, text);
        EXPECT_EQ(loaded.password, text);
        EXPECT_EQ(loaded.currency, text);
        EXPECT_EQ(t.count(QStringLiteral("system_settings")), 6);
    }

    // A book in folders with every awkward name: written to the settings
    // file, read back, created and opened. The long text makes a path of
    // over a thousand characters in folders of at most 200 bytes each.
    const SettingsFile settings(t.dir() + QStringLiteral("/Brindlecot.ini"));
    ASSERT_TRUE(settings.createIfMissing());
    const QString fallback = t.dir() + QStringLiteral("/default.fd");
    for (const QString &text : hostileTexts()) {
        QString folder = t.dir();
        for (int at = 0; at < text.size(); at += 90)
            folder += u'/' + text.mid(at, 90).replace(u'/', u'|');
        ASSERT_TRUE(QDir().mkpath(folder)) << folder.left(60).toStdString();
        const QString path = folder + QStringLiteral("/book.fd");
        ASSERT_EQ(settings.write(path, {}), QString());
        ASSERT_EQ(settings.bookPath(fallback), path);
        Book book;
        if (QFile::encodeName(path).size() < 512) {
            ASSERT_EQ(Book::create(path), QString()) << path.toStdString();
            EXPECT_TRUE(book.open(path).ok()) << path.left(60).toStdString();
            EXPECT_EQ(book.path(), path);
            continue;
        }
        // Longer than SQLite can open: said in words, the file untouched.
        EXPECT_TRUE(Book::create(path).contains(QLatin1String("path of the book is too long")));
        EXPECT_FALSE(QFile::exists(path));
        ASSERT_TRUE(QFile::copy(t.path(), path));
        const QByteArray before = test::fileBytes(path);
        const OpenResult opened = book.open(path);
        EXPECT_EQ(opened.code, OpenResult::OtherFailure);
        EXPECT_TRUE(opened.description.contains(QLatin1String("too long"))) << opened.description.toStdString();
        EXPECT_EQ(test::fileBytes(path), before);
    }
    ASSERT_EQ(settings.write(QString(), {}), QString());
    EXPECT_EQ(settings.bookPath(fallback), fallback);
}
