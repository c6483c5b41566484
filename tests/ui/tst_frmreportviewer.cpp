#include "appstate.h"
#include "frmreportviewer.h"
#include "modaldriver.h"
#include "recordingmessages.h"
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

RecordSet ledgerRecords(int count)
{
    RecordSet set(reportFields(AccountLedgerReport));
    for (int i = 0; i < count; ++i) {
        const int r = set.addRecord();
        set.setInteger(r, 0, r + 1);
        set.setText(r, 1, QStringLiteral("05/03/2006"));
        set.setText(r, 2, QStringLiteral("By SALES [sale]"));
        set.setNumber(r, 3, Money::fromCents(1000));
        set.setNumber(r, 5, Money::fromCents(1000 * (r + 1)));
    }
    set.setParameters({QString(), QStringLiteral("CASH"), QStringLiteral("01/03/2006"), QStringLiteral("31/03/2006"),
                       QStringLiteral("0.00"), QStringLiteral("10.00")});
    return set;
}

RecordSet sampleRecords(int type, int count)
{
    if (type == AccountLedgerReport)
        return ledgerRecords(count);
    RecordSet set(reportFields(type));
    for (int i = 0; i < count; ++i) {
        const int r = set.addRecord();
        set.setInteger(r, 0, r + 1);
        set.setText(r, 1, QStringLiteral("CASH"));
        set.setNumber(r, 2, Money::fromCents(250));
    }
    return set;
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
                    const RecordSet records = sampleRecords(type, count);
                    QVERIFY(viewer->FormShow(type, records));
                }
                QVERIFY(viewer->isVisible());
                QVERIFY(viewer->isWindow());
                QCOMPARE(viewer->windowTitle(), QStringLiteral("Report Viewer"));
                QCOMPARE(viewer->objectName(), QStringLiteral("frmReportViewer"));
                QCOMPARE(viewer->reportType(), type);
                QCOMPARE(viewer->reportData().recordCount(), count);
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
        QVERIFY(first->FormShow(AccountLedgerReport, ledgerRecords(2)));
        QVERIFY(second->FormShow(AccountLedgerReport, ledgerRecords(5)));
        QVERIFY(first->isVisible() && second->isVisible());
        QCOMPARE(first->reportData().recordCount(), 2);
        QCOMPARE(second->reportData().recordCount(), 5);
    }

    void escapeClosesTheViewer()
    {
        QPointer<frmReportViewer> viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(AccountSummaryReport, sampleRecords(AccountSummaryReport, 2)));
        QApplication::setActiveWindow(viewer);
        QTRY_VERIFY(QApplication::focusWidget() && viewer->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!viewer);
    }

    void pagesAreNavigatedAndZoomed()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(AccountLedgerReport, ledgerRecords(200)));
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
        RecordSet wide = sampleRecords(TransactionListReport, 2);
        for (int field : {2, 3, 5})
            wide.setText(0, field, QString(32, u'W'));
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(TransactionListReport, wide));
        QCOMPARE(viewer->crvReport->orientation(), QPageLayout::Landscape);
        auto *narrow = new frmReportViewer(*m_state);
        QVERIFY(narrow->FormShow(AccountSummaryReport, sampleRecords(AccountSummaryReport, 2)));
        QCOMPARE(narrow->crvReport->orientation(), QPageLayout::Portrait);
    }

    void thePreviewFollowsTheWindowSize()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(AccountSummaryReport, sampleRecords(AccountSummaryReport, 2)));
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

    void aReportNumberOutsideTheThreeIsReportedAndNoWindowStays()
    {
        for (int type : {0, 7, 14}) {
            m_messages.shown.clear();
            QPointer<frmReportViewer> viewer = new frmReportViewer(*m_state);
            QVERIFY(!viewer->FormShow(type, ledgerRecords(1)));
            QVERIFY(!viewer->isVisible());
            QCOMPARE(m_messages.shown.size(), 1);
            QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
            QCOMPARE(m_messages.last(), QStringLiteral("Error|Error\r\nThere is no report number %1.").arg(type));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(viewer.isNull());
        }
        QPointer<frmReportViewer> viewer = new frmReportViewer(*m_state);
        QVERIFY(!viewer->FormShow(AccountSummaryReport, ledgerRecords(1)));
        QVERIFY(m_messages.last().contains(QStringLiteral("Acc_Name")));
    }

    void exportWritesAPdfAndReportsAFileThatCannotBeWritten()
    {
        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(TransactionListReport, sampleRecords(TransactionListReport, 4)));
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
        QVERIFY(viewer->FormShow(AccountLedgerReport, ledgerRecords(3)));
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
