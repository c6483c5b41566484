#include "appstate.h"
#include "frmreportviewer.h"
#include "modaldriver.h"
#include "recordingmessages.h"
#include "reportdefinition.h"
#include "windowfixture.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace bc;
using bc::test::RecordingMessages;

namespace {

ReportData ledgerRecords(int count)
{
    LedgerReportData data;
    for (int i = 0; i < count; ++i)
        data.ledger.movements.push_back({QDate(2006, 3, 5), QStringLiteral("SALES [sale]"), Money::fromCents(1000),
                                         Money::fromCents(1000 * (i + 1))});
    data.header = {QStringLiteral("CASH"), QDate(2006, 3, 1), QDate(2006, 3, 31), Money(), Money::fromCents(1000)};
    return data;
}

ReportData sampleRecords(int type, int count)
{
    if (type == AccountLedgerReport)
        return ledgerRecords(count);
    if (type == TransactionListReport)
        return TransactionListData{std::vector<TransactionListLine>(
                                       size_t(count), {QDate(), QStringLiteral("CASH"), {}, Money::fromCents(250), {}}),
                                   {},
                                   {}};
    SummaryReportData data;
    data.summary.listed.assign(size_t(count),
                               {0, QStringLiteral("CASH"), Money::fromCents(250), {}, {}, AccountSide::Account});
    return data;
}

// The rows the viewer's report prints.
int printedRows(const frmReportViewer *viewer)
{
    return int(printedReport(viewer->reportData(), {}).table.rows.size());
}

} // namespace

class TestFrmReportViewer : public bc::test::WindowTest {
    Q_OBJECT

    void answerFileDialog(const QString &path, QString *title = nullptr)
    {
        bc::test::answerFileDialog(this, path, title);
    }
    static bool isPdf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
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
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->today = [] { return QDate(2006, 3, 5); };
    }

    void showsEveryReportTypeAsItsOwnWindowAndKeepsItsOwnCopy()
    {
        for (int type : {TransactionListReport, AccountLedgerReport, AccountSummaryReport}) {
            for (int count : {0, 3}) {
                QPointer<frmReportViewer> viewer = new frmReportViewer(*m_state);
                {
                    const ReportData records = sampleRecords(type, count);
                    QVERIFY(viewer->FormShow(records));
                }
                QVERIFY(viewer->isVisible());
                QVERIFY(viewer->isWindow());
                QCOMPARE(viewer->windowTitle(), QStringLiteral("Report Viewer"));
                QCOMPARE(viewer->objectName(), QStringLiteral("frmReportViewer"));
                QCOMPARE(viewer->reportType(), type);
                QCOMPARE(printedRows(viewer), count);
                QCOMPARE(viewer->crvReport->pageCount(), 1);
                QCOMPARE(viewer->lblPageCount->text(), QStringLiteral("of 1"));
                QVERIFY(!viewer->cmdNextPage->isEnabled());
                viewer->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY(viewer.isNull());
            }
        }
        QVERIFY(m_messages.shown.isEmpty());
    }

    void everyPrintOpensANewWindow()
    {
        auto *first = new frmReportViewer(*m_state);
        auto *second = new frmReportViewer(*m_state);
        QVERIFY(first->FormShow(ledgerRecords(2)));
        QVERIFY(second->FormShow(ledgerRecords(5)));
        QVERIFY(first->isVisible() && second->isVisible());
        QCOMPARE(printedRows(first), 2);
        QCOMPARE(printedRows(second), 5);
    }

    void escapeClosesTheViewer()
    {
        QPointer<frmReportViewer> viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(sampleRecords(AccountSummaryReport, 2)));
        QApplication::setActiveWindow(viewer);
        QTRY_VERIFY(QApplication::focusWidget() && viewer->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!viewer);
    }

    void pagesAreNavigatedAndZoomed()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(ledgerRecords(200)));
        const int pages = viewer->crvReport->pageCount();
        QVERIFY(pages > 3);
        QCOMPARE(viewer->lblPageCount->text(), QStringLiteral("of %1").arg(pages));
        QCOMPARE(viewer->txtPage->maximum(), pages);
        QVERIFY(!viewer->cmdPreviousPage->isEnabled());
        viewer->cmdNextPage->click();
        QCOMPARE(viewer->crvReport->currentPage(), 2);
        QCOMPARE(viewer->txtPage->value(), 2);
        viewer->cmdLastPage->click();
        QCOMPARE(viewer->crvReport->currentPage(), pages);
        QVERIFY(!viewer->cmdNextPage->isEnabled() && !viewer->cmdLastPage->isEnabled());
        viewer->txtPage->setValue(3);
        QCOMPARE(viewer->crvReport->currentPage(), 3);
        viewer->cmdFirstPage->click();
        QCOMPARE(viewer->crvReport->currentPage(), 1);

        const qreal zoom = viewer->crvReport->zoomFactor();
        viewer->cmdZoomIn->click();
        QVERIFY(viewer->crvReport->zoomFactor() > zoom);
        viewer->cmdZoomOut->click();
        viewer->cmdZoomOut->click();
        QVERIFY(viewer->crvReport->zoomFactor() < zoom);
        viewer->cmdFitPage->click();
        QCOMPARE(viewer->crvReport->zoomMode(), QPrintPreviewWidget::FitInView);
        viewer->cmdFitWidth->click();
        QCOMPARE(viewer->crvReport->zoomMode(), QPrintPreviewWidget::FitToWidth);
    }

    void aWideReportIsPreviewedInLandscape()
    {
        ReportData wide = sampleRecords(TransactionListReport, 2);
        TransactionListLine &first = std::get<TransactionListData>(wide).lines[0];
        first.fromAccount = first.toAccount = first.particulars = QString(32, u'W');
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(wide));
        QCOMPARE(viewer->crvReport->orientation(), QPageLayout::Landscape);
        auto *narrow = new frmReportViewer(*m_state);
        QVERIFY(narrow->FormShow(sampleRecords(AccountSummaryReport, 2)));
        QCOMPARE(narrow->crvReport->orientation(), QPageLayout::Portrait);
    }

    void thePreviewFollowsTheWindowSize()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(sampleRecords(AccountSummaryReport, 2)));
        // The preview fills the window but for the margins and the button row.
        const auto fills = [viewer] {
            const QRect preview = viewer->crvReport->geometry();
            return preview.width() >= viewer->width() - 30 && preview.right() < viewer->width()
                && preview.bottom() >= viewer->height() - 30 && preview.bottom() < viewer->height();
        };
        viewer->resize(800, 500);
        QTRY_VERIFY(viewer->width() == 800 && fills());
        viewer->resize(1200, 950);
        QTRY_VERIFY(viewer->width() == 1200 && fills());
        QVERIFY(viewer->crvReport->height() > 850);
    }

    void exportWritesAPdfAndReportsAFileThatCannotBeWritten()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(sampleRecords(TransactionListReport, 4)));
        const QString target = file(QStringLiteral("list"));
        answerFileDialog(target);
        viewer->cmdExport->click();
        QVERIFY(isPdf(target + QStringLiteral(".pdf")));
        QVERIFY(m_messages.shown.isEmpty());

        answerFileDialog(QString());
        viewer->cmdExport->click();
        QVERIFY(m_messages.shown.isEmpty());

        const QString unwritable = file(QStringLiteral("missing/report.pdf"));
        answerFileDialog(unwritable);
        viewer->cmdExport->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.last().startsWith(QStringLiteral("Error|Error\r\nThe file \"")));
        QVERIFY(m_messages.last().endsWith(QStringLiteral("missing/report.pdf\" could not be written.")));
        QVERIFY(viewer->isVisible());
    }

    void printWithoutAnInstalledPrinterSavesAPdf()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here; printing would reach it");
        m_state->printer = PrinterSettings{QStringLiteral("usb1"), QStringLiteral("Laser 9"), QStringLiteral("Office")};
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(ledgerRecords(3)));
        const QString target = file(QStringLiteral("printed.pdf"));
        QString title;
        answerFileDialog(target, &title);
        viewer->cmdPrint->click();
        QCOMPARE(title, QStringLiteral("No printer is installed: save the report as PDF"));
        QVERIFY(isPdf(target));
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestFrmReportViewer)
#include "tst_frmreportviewer.moc"
