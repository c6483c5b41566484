#include "frmreportviewer.h"

#include "appstate.h"
#include "printers.h"
#include "reportdefinition.h"
#include "waitcursor.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace bc {

namespace {

const QSize PreferredSize(900, 720);

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(tip);
    // A screen reader would spell out the symbols; it says what they do.
    button->setAccessibleName(tip);
    return button;
}

} // namespace

frmReportViewer::frmReportViewer(AppState &state, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_state(state)
    , m_printer(configuredPrinter(state.printer))
{
    setObjectName(QStringLiteral("frmReportViewer"));
    setWindowTitle(QStringLiteral("Report Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(PreferredSize);

    cmdFirstPage = toolButton(this, "cmdFirstPage", QStringLiteral("|<"), QStringLiteral("First page"));
    cmdPreviousPage = toolButton(this, "cmdPreviousPage", QStringLiteral("<"), QStringLiteral("Previous page"));
    txtPage = new QSpinBox(this);
    txtPage->setObjectName(QStringLiteral("txtPage"));
    txtPage->setRange(1, 1);
    txtPage->setAccessibleName(QStringLiteral("Page"));
    lblPageCount = new QLabel(this);
    lblPageCount->setObjectName(QStringLiteral("lblPageCount"));
    cmdNextPage = toolButton(this, "cmdNextPage", QStringLiteral(">"), QStringLiteral("Next page"));
    cmdLastPage = toolButton(this, "cmdLastPage", QStringLiteral(">|"), QStringLiteral("Last page"));
    cmdZoomOut = toolButton(this, "cmdZoomOut", QStringLiteral("-"), QStringLiteral("Zoom out"));
    cmdZoomIn = toolButton(this, "cmdZoomIn", QStringLiteral("+"), QStringLiteral("Zoom in"));
    cmdFitWidth = toolButton(this, "cmdFitWidth", QStringLiteral("Fit Width"), QStringLiteral("Fit the page width"));
    cmdFitPage = toolButton(this, "cmdFitPage", QStringLiteral("Whole Page"), QStringLiteral("Show the whole page"));
    cmdPrint = new QPushButton(QStringLiteral("&Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdExport = new QPushButton(QStringLiteral("&Export to PDF"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));

    crvReport = new QPrintPreviewWidget(m_printer.get(), this);
    crvReport->setObjectName(QStringLiteral("crvReport"));
    // The pages are shown by a view inside the preview, which takes the focus.
    if (auto *pages = crvReport->findChild<QGraphicsView *>())
        pages->setAccessibleName(QStringLiteral("Report preview"));

    auto *bar = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{cmdFirstPage, cmdPreviousPage, txtPage, lblPageCount,
                                                       cmdNextPage, cmdLastPage})
        bar->addWidget(w);
    bar->addSpacing(16);
    for (QWidget *w : std::initializer_list<QWidget *>{cmdZoomOut, cmdZoomIn, cmdFitWidth, cmdFitPage})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(cmdPrint);
    bar->addWidget(cmdExport);
    // The preview takes all the room the window has, whatever its size.
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(crvReport, 1);

    connect(crvReport, &QPrintPreviewWidget::paintRequested, this, &frmReportViewer::paintReport);
    connect(crvReport, &QPrintPreviewWidget::previewChanged, this, &frmReportViewer::updatePageControls);
    connect(cmdFirstPage, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(cmdPreviousPage, &QToolButton::clicked, this, [this] { showPage(crvReport->currentPage() - 1); });
    connect(cmdNextPage, &QToolButton::clicked, this, [this] { showPage(crvReport->currentPage() + 1); });
    connect(cmdLastPage, &QToolButton::clicked, this, [this] { showPage(crvReport->pageCount()); });
    connect(txtPage, &QSpinBox::valueChanged, this, &frmReportViewer::showPage);
    connect(cmdZoomOut, &QToolButton::clicked, crvReport, [this] { crvReport->zoomOut(); });
    connect(cmdZoomIn, &QToolButton::clicked, crvReport, [this] { crvReport->zoomIn(); });
    connect(cmdFitWidth, &QToolButton::clicked, crvReport, &QPrintPreviewWidget::fitToWidth);
    connect(cmdFitPage, &QToolButton::clicked, crvReport, &QPrintPreviewWidget::fitInView);
    connect(cmdPrint, &QPushButton::clicked, this, &frmReportViewer::print);
    connect(cmdExport, &QPushButton::clicked, this, [this] { saveAsPdf(QStringLiteral("Export to PDF")); });
}

frmReportViewer::~frmReportViewer()
{
    // The preview paints on the printer, so it goes first.
    delete crvReport;
}

void frmReportViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmReportViewer::FormShow(const ReportData &ReportData)
{
    m_data = ReportData;
    {
        WaitCursor wait;
        crvReport->updatePreview();
    }
    if (!m_lastRender.ok) {
        reportFailure(m_lastRender.error);
        close();
        return false;
    }
    crvReport->fitToWidth();
    placeOnScreen();
    show();
    raise();
    activateWindow();
    return true;
}

void frmReportViewer::placeOnScreen()
{
    // Room for the window manager's title bar and borders, which the window
    // does not know before it is shown.
    const QSize decorations(16, 40);
    const QWidget *opener = QApplication::activeWindow();
    const QScreen *screen = opener ? opener->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize fitted = PreferredSize.boundedTo(area.size() - decorations).expandedTo(minimumSizeHint());
    resize(fitted);
    const QSize outer = fitted + decorations;
    move(area.x() + std::max(0, (area.width() - outer.width()) / 2),
         area.y() + std::max(0, (area.height() - outer.height()) / 2));
}

ReportPrintInfo frmReportViewer::printInfo() const
{
    return {m_state.today ? m_state.today() : QDate::currentDate(), m_state.dateFormat()};
}

void frmReportViewer::paintReport(QPrinter *printer)
{
    m_lastRender = renderReport(*printer, m_data, printInfo());
}

void frmReportViewer::print()
{
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        saveAsPdf(QStringLiteral("No printer is installed: save the report as PDF"));
        return;
    }
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    WaitCursor wait;
    m_lastRender = {};
    crvReport->print();
    if (!m_lastRender.ok)
        reportFailure(m_lastRender.error);
}

bool frmReportViewer::saveAsPdf(const QString &caption)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString suggested = folder + u'/' + suggestedFileName(printedReport(m_data, m_state.dateFormat()))
        + QStringLiteral(".pdf");
    QString path = QFileDialog::getSaveFileName(this, caption, suggested, QStringLiteral("PDF files (*.pdf)"), nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    RenderResult result;
    {
        WaitCursor wait;
        result = renderReportToPdf(path, m_data, printInfo());
    }
    if (!result.ok)
        reportFailure(result.error);
    return result.ok;
}

void frmReportViewer::showPage(int page)
{
    if (page >= 1 && page <= crvReport->pageCount() && page != crvReport->currentPage())
        crvReport->setCurrentPage(page);
    updatePageControls();
}

void frmReportViewer::updatePageControls()
{
    const int count = std::max(crvReport->pageCount(), 1);
    const int current = std::clamp(crvReport->currentPage(), 1, count);
    {
        const QSignalBlocker block(txtPage);
        txtPage->setRange(1, count);
        txtPage->setValue(current);
    }
    lblPageCount->setText(QStringLiteral("of %1").arg(count));
    cmdFirstPage->setEnabled(current > 1);
    cmdPreviousPage->setEnabled(current > 1);
    cmdNextPage->setEnabled(current < count);
    cmdLastPage->setEnabled(current < count);
}

void frmReportViewer::reportFailure(const QString &description)
{
    if (m_state.messages)
        m_state.messages->critical(this, QStringLiteral("Error"), errorText(description));
}

} // namespace bc
