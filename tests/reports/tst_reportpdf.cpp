#include "financialstatements.h"
#include "ledger.h"
#include "reportrenderer.h"
#include "testbook.h"
#include "transactions.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;

namespace {

const ReportPrintInfo printInfo{QDate(2006, 3, 5), QStringLiteral("d/M/yyyy")};

struct PdfText {
    RenderResult result;
    QStringList pages; // the text of each page, as pdftotext lays it out
    QString all() const { return pages.join(u'\f'); }
};

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReportPdf : public ::testing::Test {
protected:
    QTemporaryDir dir;
    int renders = 0; // names the page images of each rendering apart
    QString path() const { return dir.filePath(QStringLiteral("report.pdf")); }

    PdfText render(const ReportData &data)
    {
        ++renders;
        PdfText out;
        out.result = renderReportToPdf(path(), data, printInfo);
        if (out.result.ok) {
            out.pages = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path(), QStringLiteral("-")})
                            .split(u'\f');
            if (!out.pages.isEmpty() && out.pages.last().trimmed().isEmpty())
                out.pages.removeLast();
        }
        return out;
    }

    // Every word's right edge and the page width, in points, per page.
    QList<std::pair<double, double>> rightmostWords()
    {
        const QString html = runTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-bbox"), path(), QStringLiteral("-")});
        QList<std::pair<double, double>> pages;
        static const QRegularExpression tag(QStringLiteral(R"re(<page width="([\d.]+)"|xMax="([\d.]+)")re"));
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            if (!m.captured(1).isEmpty())
                pages.append({0.0, m.captured(1).toDouble()});
            else if (!pages.isEmpty())
                pages.last().first = std::max(pages.last().first, m.captured(2).toDouble());
        }
        return pages;
    }

    // Where a word is printed: the page index and the word's box in points.
    QList<std::pair<int, QRectF>> wordBoxes(const QString &word)
    {
        const QString html = runTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-bbox"), path(), QStringLiteral("-")});
        static const QRegularExpression tag(QStringLiteral(
            R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
        QList<std::pair<int, QRectF>> boxes;
        int page = -1;
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            if (m.captured(1).isEmpty())
                ++page;
            else if (m.captured(5) == word)
                boxes.append({page,
                              QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                     QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
        }
        return boxes;
    }

    // Whether a printed word shows ink near both ends of its box, as a reader
    // sees it: text cut off by its cell keeps its box but loses the ink of
    // its first or last letter.
    bool inkedAtBothEnds(int page, const QRectF &box)
    {
        constexpr double Dpi = 300;
        const QString image = dir.filePath(QStringLiteral("page%1-%2").arg(renders).arg(page));
        if (!QFile::exists(image + QStringLiteral(".pgm")))
            runTool(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-f"),
                     QString::number(page + 1), QStringLiteral("-l"), QString::number(page + 1),
                     QStringLiteral("-singlefile"), path(), image});
        const QImage pixels(image + QStringLiteral(".pgm"));
        const double scale = Dpi / 72;
        const auto inked = [&](double left, double right) {
            for (int x = int(left * scale); x <= int(right * scale); ++x)
                for (int y = int((box.top() + 1) * scale); y <= int((box.bottom() - 1) * scale); ++y)
                    if (qGray(pixels.pixel(x, y)) < 128)
                        return true;
            return false;
        };
        constexpr double Edge = 1.3; // wider than the bearings beside the glyphs
        return !pixels.isNull() && inked(box.left(), box.left() + Edge) && inked(box.right() - Edge, box.right());
    }
};

TransactionListData transactions(int count, const QString &fromName, const QString &toName, const QString &particulars)
{
    TransactionListData data;
    for (int i = 0; i < count; ++i)
        data.lines.push_back(
            {QDate(2006, 3, 1).addDays(i), fromName, toName, Money::fromCents(10 + 100 * i), particulars});
    return data;
}

// Debits of 5.00 and credits of 20.00 in turn, all dated 05/03/2006.
LedgerReportData ledger(int count)
{
    LedgerReportData data;
    for (int i = 0; i < count; ++i)
        data.ledger.movements.push_back({QDate(2006, 3, 5), QStringLiteral("SALES [sale %1]").arg(i + 1),
                                         Money::fromCents(i % 2 ? 2000 : -500),
                                         Money::fromCents(1500 * (i / 2 + 1) + (i % 2 ? 0 : 500))});
    data.header = {QStringLiteral("CASH"), QDate(2006, 3, 1), QDate(2006, 3, 31), Money(), Money::fromCents(123450)};
    return data;
}

SummaryReportData summary(const std::vector<SummaryRow> &rows)
{
    SummaryReportData data{{}, {}, QDate(2024, 4, 1), QDate(2025, 3, 31)};
    data.summary.listed = rows;
    return data;
}

} // namespace

TEST_F(ReportPdf, TransactionListShowsTitleHeadingsRowsTotalAndPageNumber)
{
    TransactionListData set = transactions(3, QStringLiteral("Harlow Traders"), QStringLiteral("CASH"),
                                           QStringLiteral("rent"));
    set.lines[2].toAccount.clear();
    const PdfText pdf = render(set);
    ASSERT_TRUE(pdf.result.ok) << pdf.result.error.toStdString();
    ASSERT_EQ(pdf.pages.size(), 1);
    const QString text = pdf.all();
    for (const char *expected :
         {"Transaction List", "S.No", "Date", "From A/C", "To A/C", "Amount", "Particulars", "01/03/2006", "03/03/2006",
          "Harlow Traders", "0.10", "1.10", "2.10", "Total", "3.30", "Page 1 of 1", "Printed on 05/03/2006"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("CASH")), 2);
}

// Particulars longer than a line wrap whole onto the next, the period searched
// is printed, and every word can be copied out of the PDF as typed, without
// ligature characters in place of "ffi" or "fl".
TEST_F(ReportPdf, TransactionListWrapsParticularsPrintsThePeriodAndCopiesPlainLetters)
{
    RowArray rows = makeTranRows();
    const QString particulars = QStringLiteral("Office supplies and affluent waffles for the Harlow branch, "
                                               "monthly account fee ending NOVEMBER");
    const int r = rows.appendRow();
    rows.setDate(r, TranCol::Date, QDate(2026, 11, 3));
    rows.setMoney(r, TranCol::Amount, Money::fromCents(4500));
    rows.setText(r, TranCol::Particulars, particulars);
    const PdfText pdf = render(transactionListData(rows, {}, QDate(2026, 11, 1), QDate(2026, 11, 30)));
    ASSERT_TRUE(pdf.result.ok) << pdf.result.error.toStdString();
    const QString text = pdf.all();
    EXPECT_TRUE(text.contains(QStringLiteral("Period:"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("01/11/2026 to 30/11/2026"))) << text.toStdString();
    for (const QString &word : particulars.split(u' '))
        EXPECT_TRUE(text.contains(word)) << word.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x2026))) << "cut short: " << text.toStdString();
    for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
        EXPECT_FALSE(text.contains(QChar(ligature))) << text.toStdString();

    // A search without dates says so.
    const PdfText all = render(transactionListData(rows, {}));
    ASSERT_TRUE(all.result.ok);
    EXPECT_TRUE(all.all().contains(QStringLiteral("All dates")));
}

TEST_F(ReportPdf, WideTransactionListTurnsLandscapeAndLongTextsStayInsideThePage)
{
    const QString name = QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    const PdfText pdf = render(transactions(40, name, name, name));
    ASSERT_TRUE(pdf.result.ok);
    const auto pages = rightmostWords();
    ASSERT_FALSE(pages.isEmpty());
    const double margin = 15 / 25.4 * 72;
    for (const auto &[rightmost, width] : pages) {
        EXPECT_NEAR(width, 841.9, 1); // A4 landscape
        EXPECT_LE(rightmost, width - margin + 1);
    }
    EXPECT_TRUE(pdf.all().contains(QStringLiteral("Page %1 of %1").arg(pdf.pages.size())));
}

TEST_F(ReportPdf, LedgerShowsParametersRowsAndDebitCreditTotals)
{
    const PdfText pdf = render(ledger(4));
    ASSERT_TRUE(pdf.result.ok);
    const QString text = pdf.all();
    for (const char *expected : {"Account Ledger", "Account:", "CASH", "01/03/2006 to 31/03/2006",
                                 "Opening Balance:", "Closing Balance:", "1234.50", "Debit", "Credit", "Balance",
                                 "By SALES [sale 4]", "40.00", "10.00", "Page 1 of 1"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    const QString totalLine = text.split(u'\n').filter(QStringLiteral("Total")).value(0);
    EXPECT_TRUE(totalLine.contains(QStringLiteral("10.00")) && totalLine.contains(QStringLiteral("40.00")))
        << totalLine.toStdString();
}

TEST_F(ReportPdf, LedgerBalancesArePrintedWithTheirSidesAsTheGridShowsThem)
{
    bc::test::TestBook t;
    t.addAccount(10, QStringLiteral("Loan"), 5, Money::fromCents(-25000));
    t.addAccount(11, QStringLiteral("Bank"), 4, Money());
    t.addTransaction(1, QDate(2006, 3, 1), 11, 10, Money::fromCents(25000)); // repaid: 0.00
    t.addTransaction(2, QDate(2006, 3, 2), 11, 10, Money::fromCents(12050)); // 120.50 credit
    t.addTransaction(3, QDate(2006, 3, 3), 10, 11, Money::fromCents(50000)); // 379.50 debit
    const LedgerResult l = computeLedger(t.book(), {qint64(10), QDate(2006, 3, 1), QDate(2006, 3, 31), QDate()});
    ASSERT_EQ(l.movements.at(2).balance, Money::fromCents(-37950));
    const PdfText pdf = render(LedgerReportData{l,
                                                {QStringLiteral("Loan"), QDate(2006, 3, 1), QDate(2006, 3, 31),
                                                 l.openingBalance, l.closingBalance}});
    ASSERT_TRUE(pdf.result.ok);
    const QStringList lines = pdf.all().split(u'\n');
    const auto line = [&](const QString &start) {
        const QStringList found = lines.filter(QRegularExpression(QStringLiteral("^\\s*") + start));
        return found.isEmpty() ? QString() : found.first().simplified();
    };
    EXPECT_TRUE(line(QStringLiteral("Opening Balance:")).endsWith(QLatin1String("250.00 Dr")))
        << pdf.all().toStdString();
    EXPECT_TRUE(line(QStringLiteral("Closing Balance:")).endsWith(QLatin1String("379.50 Dr")));
    EXPECT_TRUE(line(QStringLiteral("1 ")).endsWith(QLatin1String("0.00 Cr")));
    EXPECT_TRUE(line(QStringLiteral("2 ")).endsWith(QLatin1String("120.50 Cr")));
    EXPECT_TRUE(line(QStringLiteral("3 ")).endsWith(QLatin1String("379.50 Dr")));
}

TEST_F(ReportPdf, LongLedgerPaginatesWithHeadingsOnEveryPageAndNoRowLostOrRepeated)
{
    const PdfText pdf = render(ledger(500));
    ASSERT_TRUE(pdf.result.ok);
    ASSERT_GT(pdf.pages.size(), 5);
    EXPECT_EQ(pdf.result.pageCount, pdf.pages.size());
    QList<int> serials;
    static const QRegularExpression rowStart(QStringLiteral(R"(^\s*(\d+)\s+05/03/2006)"),
                                             QRegularExpression::MultilineOption);
    for (int p = 0; p < pdf.pages.size(); ++p) {
        const QString &page = pdf.pages[p];
        for (const char *heading : {"Account Ledger", "S.No", "Particulars", "Debit", "Credit", "Balance", "CASH"})
            EXPECT_TRUE(page.contains(QLatin1String(heading))) << "page " << p + 1 << ": " << heading;
        EXPECT_TRUE(page.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pdf.pages.size())));
        for (auto it = rowStart.globalMatch(page); it.hasNext();)
            serials << it.next().captured(1).toInt();
    }
    ASSERT_EQ(serials.size(), 500);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(serials[i], i + 1);
    EXPECT_TRUE(pdf.pages.last().contains(QStringLiteral("Total")));

    // A ledger that just fills its first page takes its last row to the page
    // of the totals rather than leaving them alone under the headings.
    int perPage = 0;
    for (auto it = rowStart.globalMatch(pdf.pages.first()); it.hasNext(); it.next())
        ++perPage;
    ASSERT_GT(perPage, 10);
    const PdfText full = render(ledger(perPage));
    ASSERT_EQ(full.pages.size(), 2);
    EXPECT_TRUE(full.pages[1].contains(QRegularExpression(QStringLiteral(R"(^\s*%1\s+05/03/2006)").arg(perPage),
                                                          QRegularExpression::MultilineOption)));
    EXPECT_TRUE(full.pages[1].contains(QStringLiteral("Total")));
}

TEST_F(ReportPdf, SummaryTotalsAreExactCents)
{
    const qint64 cents[][3] = {{10, 20, 30}, {20, -10, 10}, {-1, 0, -1}};
    std::vector<SummaryRow> rows;
    for (const auto &row : cents)
        rows.push_back({qint64(rows.size()), QStringLiteral("Account number %1").arg(rows.size() + 1),
                        Money::fromCents(row[0]), Money::fromCents(row[1]), Money::fromCents(row[2]),
                        AccountSide::Account});
    const PdfText pdf = render(summary(rows));
    ASSERT_TRUE(pdf.result.ok);
    const QString text = pdf.all();
    for (const char *expected : {"Account Summary", "Period:", "01/04/2024 to 31/03/2025", "A/C Name", "Open Amount",
                                 "Transactions", "Balance Amount", "Account number 3", "-0.01"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    const QString totalLine = text.split(u'\n').filter(QStringLiteral("Total")).value(0).simplified();
    EXPECT_EQ(totalLine, QStringLiteral("Total 0.29 0.10 0.39"));
}

// The totals caption is not cut by the narrow serial column it starts in,
// and the largest amounts, either sign, print whole in rows and totals: in
// the text and in the ink on the page.
TEST_F(ReportPdf, TotalsCaptionAndLargestAmountsPrintWhole)
{
    const Money largest = Money::fromCents(Money::MaxCents);
    TransactionListData list = transactions(2, QStringLiteral("Bank"), QStringLiteral("CASH"), QStringLiteral("rent"));
    list.lines[0].amount = largest;
    list.lines[1].amount = -largest;

    LedgerReportData book = ledger(2);
    book.ledger.movements[0].amount = largest;
    book.ledger.movements[1].amount = -largest;
    book.ledger.movements[0].balance = largest;
    book.ledger.movements[1].balance = -largest;

    std::vector<SummaryRow> rows;
    for (const Money &amount : {largest, Money()})
        rows.push_back({qint64(rows.size()), QStringLiteral("Account %1").arg(rows.size() + 1), amount, -amount, amount,
                        AccountSide::Account});

    struct Expected {
        ReportData data;
        QStringList rows;
        QString totals;
    };
    const Expected reports[] = {{list, {"999999999999.99 rent", "-999999999999.99 rent"}, "Total 0.00"},
                                {book,
                                 {"999999999999.99 Dr", "999999999999.99 Cr"},
                                 "Total 999999999999.99 999999999999.99"},
                                {summary(rows),
                                 {"999999999999.99 -999999999999.99 999999999999.99"},
                                 "Total 999999999999.99 -999999999999.99 999999999999.99"}};
    for (const Expected &report : reports) {
        const PdfText pdf = render(report.data);
        ASSERT_TRUE(pdf.result.ok) << pdf.result.error.toStdString();
        QStringList lines;
        for (const QString &line : pdf.all().split(u'\n'))
            lines << line.simplified();
        for (const QString &row : report.rows)
            EXPECT_FALSE(
                lines.filter(QRegularExpression(QStringLiteral("(^| )") + QRegularExpression::escape(row))).isEmpty())
                << row.toStdString() << "\n"
                << pdf.all().toStdString();
        EXPECT_TRUE(lines.contains(report.totals)) << pdf.all().toStdString();
        QStringList words = (report.rows + QStringList{report.totals}).join(u' ').split(u' ');
        words.removeDuplicates();
        for (const QString &word : words) {
            const auto boxes = wordBoxes(word);
            EXPECT_FALSE(boxes.isEmpty()) << word.toStdString();
            for (const auto &[page, box] : boxes)
                EXPECT_TRUE(inkedAtBothEnds(page, box))
                    << reportTypeOf(report.data) << ": " << word.toStdString() << " cut";
        }
    }
}

TEST_F(ReportPdf, EmptyReportsStillPrintHeadingsAndParameters)
{
    const ReportData reports[] = {transactions(0, {}, {}, {}), ledger(0), summary({})};
    for (const ReportData &report : reports) {
        const PdfText pdf = render(report);
        ASSERT_TRUE(pdf.result.ok);
        EXPECT_EQ(pdf.pages.size(), 1);
        EXPECT_TRUE(pdf.all().contains(QStringLiteral("No records")));
        EXPECT_TRUE(pdf.all().contains(QStringLiteral("S.No")));
        EXPECT_TRUE(pdf.all().contains(QStringLiteral("Page 1 of 1")));
    }
    EXPECT_TRUE(render(ledger(0)).all().contains(QStringLiteral("1234.50")));
}

TEST_F(ReportPdf, UnwritableFilesAreErrorsNotFiles)
{
    const QString unwritable = dir.filePath(QStringLiteral("missing/folder/report.pdf"));
    const RenderResult result = renderReportToPdf(unwritable, ledger(2), printInfo);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(unwritable));
}

// A year by month compared with the months before (52 figure columns) goes
// across pages in bands: the accounts' names on every page, each period's
// figure beside its comparison, change and percent, every column once, and
// nothing past the page's margin.
TEST_F(ReportPdf, AStatementTooWideForAPageIsSplitIntoBandsOfColumns)
{
    bc::test::TestBook t;
    t.addAccount(41, QStringLiteral("Bank"), 4, Money());
    t.addAccount(42, QStringLiteral("Rent"), 2, Money());
    t.addAccount(43, QStringLiteral("Salary"), 1, Money());
    for (int month = 1; month <= 12; ++month) {
        t.addTransaction(2 * month, QDate(2026, month, 3), 43, 41, Money::fromCents(123456789 * month));
        t.addTransaction(2 * month + 1, QDate(2026, month, 9), 41, 42, Money::fromCents(98765432 * month));
    }
    const FinancialStatement statement = computeStatement(t.book(), StatementKind::IncomeStatement,
                                                          periodColumns({QDate(2026, 1, 1), QDate(2026, 12, 31)},
                                                                        PeriodLength::Month,
                                                                        Comparison::PreviousPeriod));
    ASSERT_EQ(statement.columns.size(), 13u);
    const PdfText pdf = render(FinancialReportData{statement, QStringLiteral("EUR")});
    ASSERT_TRUE(pdf.result.ok);
    ASSERT_GT(pdf.pages.size(), 2);
    const double margin = 15 / 25.4 * 72;
    for (const auto &[rightmost, width] : rightmostWords()) {
        EXPECT_NEAR(width, 841.9, 1); // A4 landscape
        EXPECT_LE(rightmost, width - margin + 1);
    }
    // Each period's heading is followed by that of the month it is compared
    // with (December 2025 unnamed here) on the same page, and the change
    // and its percent stand beside them.
    static const QRegularExpression period(QStringLiteral(R"(\b[A-Z][a-z][a-z] 2026\b|\bTotal\b)"));
    QStringList headings;
    for (const QString &page : pdf.pages) {
        for (const QString &name : {QStringLiteral("Salary"), QStringLiteral("Rent"), QStringLiteral("Net income")})
            EXPECT_TRUE(page.contains(name)) << name.toStdString();
        const QString headingLine = page.split(u'\n').filter(QStringLiteral("Change %")).value(0);
        for (auto it = period.globalMatch(headingLine); it.hasNext();)
            headings << it.next().captured(0);
        EXPECT_GT(headingLine.count(QStringLiteral("Change %")), 0);
        EXPECT_EQ(headingLine.count(QStringLiteral("Change")), 2 * headingLine.count(QStringLiteral("Change %")));
    }
    QStringList expected;
    for (int month = 1; month <= 12; ++month) {
        expected << QDate(2026, month, 1).toString(QStringLiteral("MMM yyyy"));
        if (month > 1)
            expected << QDate(2026, month - 1, 1).toString(QStringLiteral("MMM yyyy"));
    }
    expected << QStringLiteral("Total");
    EXPECT_EQ(headings, expected);
    EXPECT_TRUE(pdf.all().contains(QStringLiteral("Page %1 of %1").arg(pdf.pages.size())));
}
