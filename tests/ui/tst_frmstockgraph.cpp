#include "appstate.h"
#include "chartbuilder.h"
#include "frmmain.h"
#include "frmstockgraph.h"
#include "modaldriver.h"
#include "recordingmessages.h"
#include "summary.h"
#include "summarychart.h"
#include "testbook.h"
#include "windowfixture.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

using namespace bc;
using bc::test::RecordingMessages;

namespace {

ChartData lineData()
{
    ChartData d;
    d.status = ChartData::Status::Ready;
    d.kind = ChartData::Kind::Line;
    d.points = {{QStringLiteral("Opening- 01/04/2026"), Money::fromCents(1500), QStringLiteral("01/04/2026")},
                {QString(), Money::fromCents(2500), QStringLiteral("02/04/2026")},
                {QStringLiteral("Closing- 03/04/2026"), Money::fromCents(2000), QStringLiteral("03/04/2026")}};
    d.scale = {0, 40};
    d.axisTitle = d.secondaryAxisTitle = QStringLiteral("Balance Amount (Rs.)");
    d.title = QStringLiteral("Account Ledger");
    d.fromCaption = QStringLiteral(" From :- 01/04/2026");
    d.toCaption = QStringLiteral(" To :- 03/04/2026");
    d.showBalances = true;
    d.openingBalance = Money::fromCents(1500);
    d.closingBalance = Money::fromCents(2000);
    return d;
}

std::vector<SummaryRow> summaryRows(const QList<QPair<QString, qint64>> &balances)
{
    std::vector<SummaryRow> rows;
    for (const auto &[name, cents] : balances)
        rows.push_back({0, name, Money(), Money(), Money::fromCents(cents), AccountSide::Account});
    return rows;
}

// The captions the chart shows on its axes at the moment.
QStringList shownCaptions(QChartView *view)
{
    QStringList captions;
    for (QGraphicsItem *item : view->scene()->items())
        if (auto *text = dynamic_cast<QGraphicsTextItem *>(item); text && text->isVisible())
            captions << text->toPlainText();
    return captions;
}

template <class T> T *axis(QChart *chart, Qt::Alignment alignment)
{
    const QList<QAbstractAxis *> axes = chart->axes();
    for (QAbstractAxis *a : axes)
        if (a->alignment() == alignment)
            return qobject_cast<T *>(a);
    return nullptr;
}

} // namespace

class TestFrmStockGraph : public bc::test::WindowTest {
    Q_OBJECT

    frmStockGraph *open()
    {
        auto *w = new frmStockGraph(*m_state);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QApplication::setActiveWindow(w);
        w->setFocus();
        return w;
    }

private slots:
    void initTestCase()
    {
        // Keeps the file dialog's remembered folders out of the user's settings.
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        start();
        m_state->today = [] { return QDate(2026, 12, 7); };
        m_state->settings.dateFormat = QStringLiteral("M/d/yyyy");
        m_state->printerList = [] { return QList<PrinterSettings>(); };
    }

    void drawsTheLedgerLineWithItsScaleAndBalances()
    {
        frmStockGraph *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Stock Movement"));
        QCOMPARE(w->lblCurrDate->text(), QStringLiteral("Press ^P (Ctrl+P) to Print. Press Escape to close."));
        w->Fill(lineData());
        QCOMPARE(w->lbltitle->text(), QStringLiteral("Account Ledger"));
        QCOMPARE(w->lblfrom->text(), QStringLiteral(" From :- 01/04/2026"));
        QCOMPARE(w->lblto->text(), QStringLiteral(" To :- 03/04/2026"));
        QVERIFY(w->FraAccount->isVisible());
        QCOMPARE(w->txtOpenBalance->text() + w->lblopenStatus->text(), QStringLiteral("15.00(Credit)"));
        QCOMPARE(w->txtCloseBalance->text() + w->lblcloseStatus->text(), QStringLiteral("20.00(Credit)"));

        QChart *chart = w->mscStock->chart();
        QCOMPARE(chart->series().size(), 1);
        auto *line = qobject_cast<QLineSeries *>(chart->series().first());
        QVERIFY(line);
        QCOMPARE(line->points(), (QList<QPointF>{{0, 15}, {1, 25}, {2, 20}}));
        auto *days = axis<QCategoryAxis>(chart, Qt::AlignBottom);
        QVERIFY(days);
        QCOMPARE(days->categoriesLabels(), (QStringList{"Opening- 01/04/2026", "Closing- 03/04/2026"}));
        for (Qt::Alignment side : {Qt::AlignLeft, Qt::AlignRight}) {
            auto *values = axis<QValueAxis>(chart, side);
            QVERIFY(values);
            QCOMPARE(values->min(), 0.0);
            QCOMPARE(values->max(), 40.0);
            QCOMPARE(values->titleText(), QStringLiteral("Balance Amount (Rs.)"));
        }
        QCOMPARE(tickStep(0, 40), 5.0);
        QCOMPARE(tickStep(-1000, 6000), 1000.0);
        QCOMPARE(tickStep(-300, 1300), 200.0);
    }

    void drawsSummaryBarsWithoutTheBalanceFrame()
    {
        frmStockGraph *w = open();
        w->Fill(lineData());
        SummaryChartInput input{SummaryChartKind::Balance, QDate(2026, 4, 1), QDate(2026, 12, 7), QStringLiteral("Rs."),
                                QString()};
        // Two accounts of one name still get a bar each.
        const ChartData bars = computeSummaryChart(summaryRows({{"Bank", 500000}, {"Rent", -20000}, {"Bank", 100}}),
                                                   input);
        w->Fill(bars);
        QVERIFY(!w->FraAccount->isVisible());
        QCOMPARE(w->lbltitle->text(), QStringLiteral("Account Summary"));
        QChart *chart = w->mscStock->chart();
        auto *series = qobject_cast<QBarSeries *>(chart->series().value(0));
        QVERIFY(series);
        QCOMPARE(series->barSets().size(), 1);
        QBarSet *set = series->barSets().first();
        QCOMPARE(set->label(), QStringLiteral("Balance Amount"));
        QCOMPARE(set->count(), 3);
        QCOMPARE(set->at(0), 5000.0);
        QCOMPARE(set->at(1), -200.0);
        auto *names = axis<QBarCategoryAxis>(chart, Qt::AlignBottom);
        QCOMPARE(names->count(), 3);
        QVERIFY(names->at(2).startsWith(QStringLiteral("Bank")));
        auto *left = axis<QValueAxis>(chart, Qt::AlignLeft);
        QCOMPARE(left->min(), -1000.0);
        QCOMPARE(left->max(), 6000.0);
        QCOMPARE(left->titleText(), QStringLiteral("Balance Amount (Rs.)"));
        QCOMPARE(axis<QValueAxis>(chart, Qt::AlignRight)->titleText(), QString());
    }

    // Thirteen accounts each have their name under their bar; a month's
    // ledger keeps its first and last dates and every point clear of the
    // plot's edges; the window, and the file offered for its picture, name
    // the account and the period.
    void everyBarNamedEveryPointWholeAndTheAccountNamed()
    {
        frmStockGraph *w = open();
        w->resize(1180, 640);
        QList<QPair<QString, qint64>> balances;
        for (int i = 0; i < 13; ++i)
            balances.append({QStringLiteral("Account %1").arg(QChar(u'A' + i)), 10000 * (i + 1)});
        balances[0] = {QStringLiteral("Business Bank"), 877997};
        w->Fill(computeSummaryChart(summaryRows(balances),
                                    {SummaryChartKind::Balance, QDate(2026, 11, 1), QDate(2026, 11, 30), QString(),
                                     QStringLiteral("d/M/yyyy")}));
        QCOMPARE(w->lblfrom->text(), QStringLiteral(" From :- 01/11/2026"));
        for (const auto &[name, cents] : balances)
            QTRY_VERIFY2(shownCaptions(w->mscStock).contains(name), qPrintable(name));
        QCOMPARE(axis<QValueAxis>(w->mscStock->chart(), Qt::AlignLeft)->titleText(), QStringLiteral("Balance Amount"));

        ChartData ledger = lineData();
        ledger.points.clear();
        for (int day = 1; day <= 30; ++day)
            ledger.points.push_back({day == 1        ? QStringLiteral("Opening- 01/11/2026")
                                         : day == 30 ? QStringLiteral("Closing- 30/11/2026")
                                                     : QString(),
                                     Money::fromCents(day == 1 ? 500000 : 100000 + 1000 * day), QString()});
        ledger.scale = tensScale(Money::fromCents(100000), Money::fromCents(500000));
        ledger.subject = QStringLiteral("Business Bank");
        ledger.fromDate = QStringLiteral("01/11/2026");
        ledger.toDate = QStringLiteral("30/11/2026");
        w->Fill(ledger);
        QCOMPARE(w->lblsubject->text(), QStringLiteral("Business Bank"));
        QVERIFY(w->lblsubject->isVisible());
        QTRY_VERIFY(shownCaptions(w->mscStock).contains(QStringLiteral("Opening- 01/11/2026")));
        QVERIFY(shownCaptions(w->mscStock).contains(QStringLiteral("Closing- 30/11/2026")));
        QChart *chart = w->mscStock->chart();
        auto *line = qobject_cast<QLineSeries *>(chart->series().constFirst());
        const QRectF plot = chart->plotArea();
        const qreal half = line->markerSize() / 2;
        for (const QPointF &p : line->points()) {
            const QPointF at = chart->mapToPosition(p, line);
            QVERIFY2(plot.adjusted(half, half, -half, -half).contains(at),
                     qPrintable(
                         QStringLiteral("point %1 at %2,%3 is cut by the edge").arg(p.y()).arg(at.x()).arg(at.y())));
        }

        QString offered;
        bc::test::whenModal<QFileDialog>(this, [&offered](QFileDialog *dialog) {
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                offered = name->text();
            dialog->reject();
        });
        m_messages.answers = {QMessageBox::Yes};
        QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(offered, QStringLiteral("Account Ledger - Business Bank - 01-11-2026 to 30-11-2026.pdf"));
    }

    void nothingOrAMessageWhenThereIsNoChart()
    {
        int asked = 0;
        const frmStockGraph::Source source = [&]() -> frmStockGraph * {
            ++asked;
            return nullptr;
        };
        // Every amount 0, or no rows at all: the request does nothing.
        SummaryChartInput input{SummaryChartKind::Transaction, QDate(2026, 4, 1), QDate(2026, 12, 7), QString(),
                                QString()};
        for (const std::vector<SummaryRow> &rows : {summaryRows({{"Bank", 0}, {"Rent", 0}}), summaryRows({})}) {
            const ChartData zero = computeSummaryChart(rows, input);
            QCOMPARE(int(zero.status), int(ChartData::Status::NothingToShow));
            QCOMPARE(frmStockGraph::Present(zero, source, m_messages, nullptr), nullptr);
        }
        QCOMPARE(asked, 0);
        QVERIFY(m_messages.shown.isEmpty());

        QWidget caller;
        caller.setWindowTitle(QStringLiteral("Account Ledger"));
        ChartData refused;
        refused.status = ChartData::Status::Refused;
        refused.message = QStringLiteral("No day to draw.");
        QCOMPARE(frmStockGraph::Present(refused, source, m_messages, &caller), nullptr);
        QCOMPARE(asked, 0);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(int(m_messages.shown[0].icon), int(MsgIcon::Information));
        QCOMPARE(m_messages.last(), QStringLiteral("Account Ledger|No day to draw."));
    }

    void oneWindowInTheMainWindowRefilledByEveryChart()
    {
        bc::test::TestBook book;
        book.book().close();
        QVERIFY(m_state->book.open(book.path()).ok());
        auto *main = new frmMain(*m_state);
        main->show();
        const frmStockGraph::Source source = [main] { return main->showStockGraph(); };
        frmStockGraph *first = frmStockGraph::Present(lineData(), source, m_messages, main);
        QVERIFY(first);
        ChartData second = lineData();
        second.title = QStringLiteral("Second");
        QCOMPARE(frmStockGraph::Present(second, source, m_messages, main), first);
        QCOMPARE(first->lbltitle->text(), QStringLiteral("Second"));
        int charts = 0;
        for (QMdiSubWindow *sub : main->mdiArea->subWindowList())
            charts += qobject_cast<frmStockGraph *>(sub->widget()) ? 1 : 0;
        QCOMPARE(charts, 1);
        QCOMPARE(main->mdiArea->activeSubWindow()->widget(), first);
        // Escape closes it; the next chart opens a fresh one.
        QPointer<frmStockGraph> closed = first;
        QTest::keyClick(first, Qt::Key_Escape);
        QTRY_VERIFY(!closed);
        QVERIFY(m_messages.shown.isEmpty());
        QVERIFY(frmStockGraph::Present(lineData(), source, m_messages, main));
    }

    void ctrlPAnsweredNoLeavesTheShortHint()
    {
        frmStockGraph *w = open();
        w->Fill(lineData());
        m_messages.answers = {QMessageBox::No};
        QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(int(m_messages.shown[0].icon), int(MsgIcon::Question));
        QCOMPARE(m_messages.shown[0].text, QStringLiteral("Are you sure that You want to print this Graph on Printer"));
        QCOMPARE(m_messages.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(w->lblCurrDate->text(), QStringLiteral("Press ^P (Ctrl+P) for Print"));
        QVERIFY(w->isVisible());
        // Other keys do nothing.
        QTest::keyClick(w, Qt::Key_Q);
        QTest::keyClick(w, Qt::Key_P);
        QCOMPARE(m_messages.shown.size(), 1);
    }

    void withoutAPrinterTheGraphGoesToAPdfFile()
    {
        frmStockGraph *w = open();
        w->Fill(lineData());
        const QString target = file(QStringLiteral("graph"));
        QString title;
        bc::test::answerFileDialog(this, target, &title);
        m_messages.answers = {QMessageBox::Yes};
        QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(title, QStringLiteral("No printer is installed: save the graph as PDF"));
        QFile pdf(target + QStringLiteral(".pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
        QVERIFY(pdf.size() > 1000);
        // The stamp uses the day-first pattern whatever the book's format.
        QCOMPARE(w->lblCurrDate->text(), QStringLiteral("Printed On : 07/12/2026"));
        QCOMPARE(m_messages.shown.size(), 1);

        // A file that cannot be written is reported; the window stays.
        bc::test::answerFileDialog(this, file(QStringLiteral("missing/graph.pdf")));
        m_messages.answers = {QMessageBox::Yes};
        QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(m_messages.shown.size(), 3);
        QCOMPARE(int(m_messages.shown[2].icon), int(MsgIcon::Critical));
        QVERIFY(m_messages.shown[2].title.endsWith(QStringLiteral("missing/graph.pdf\" could not be written.")));
        QCOMPARE(m_messages.shown[2].text,
                 QStringLiteral("Error in printing :\r\n\r\nCan not print this graph.\r\n"
                                "Please check that the printer is connected/install correctly.  "));
        QVERIFY(w->isVisible());

        // Giving up on the file prints nothing.
        bc::test::answerFileDialog(this, QString());
        m_messages.answers = {QMessageBox::Yes};
        QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(m_messages.shown.size(), 4);
        QCOMPARE(w->lblCurrDate->text(), QStringLiteral("Press ^P (Ctrl+P) for Print"));
    }
};

QTEST_MAIN(TestFrmStockGraph)
#include "tst_frmstockgraph.moc"
