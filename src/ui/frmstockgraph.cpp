#include "frmstockgraph.h"

#include "appstate.h"
#include "balancetext.h"
#include "chartbuilder.h"
#include "printers.h"
#include "screenparts.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace bc {

namespace {

const QString KeyHint = QStringLiteral("Press ^P (Ctrl+P) to Print. Press Escape to close.");
const QString PrintHint = QStringLiteral("Press ^P (Ctrl+P) for Print");

QLineEdit *amountBox(QWidget *parent, const char *name)
{
    QLineEdit *box = makeAmountDisplay(parent, name);
    box->setMaximumWidth(130);
    return box;
}

} // namespace

frmStockGraph::frmStockGraph(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("frmStockGraph"));
    // The window itself takes the keys, so Escape and Ctrl+P work wherever
    // the user clicked in it; a screen reader names it by its title.
    connect(this, &QWidget::windowTitleChanged, this, &QWidget::setAccessibleName);
    setWindowTitle(QStringLiteral("Stock Movement"));
    setFocusPolicy(Qt::StrongFocus);
    buildControls();
    resize(900, 640);
}

void frmStockGraph::buildControls()
{
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    lbltitle = makeLabel(Shape1, "lbltitle", QStringLiteral("Stock Movement"));
    QFont titleFont = lbltitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lbltitle->setFont(titleFont);
    lbltitle->setAlignment(Qt::AlignCenter);
    lblsubject = makeLabel(Shape1, "lblsubject", QString());
    QFont subjectFont = lblsubject->font();
    subjectFont.setBold(true);
    lblsubject->setFont(subjectFont);
    lblsubject->setAlignment(Qt::AlignCenter);
    lblsubject->hide();
    lblfrom = makeLabel(Shape1, "lblfrom", QStringLiteral("From :- "));
    lblto = makeLabel(Shape1, "lblto", QStringLiteral("To :- "));
    lblto->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *header = new QGridLayout(Shape1);
    header->addWidget(lbltitle, 0, 0, 1, 2);
    header->addWidget(lblsubject, 1, 0, 1, 2);
    header->addWidget(lblfrom, 2, 0);
    header->addWidget(lblto, 2, 1);

    mscStock = new QChartView(buildChart({}), this);
    mscStock->setObjectName(QStringLiteral("mscStock"));
    mscStock->setRenderHint(QPainter::Antialiasing);
    // A Tab stop, so that a screen reader reaches the chart and reads its
    // figures (Fill puts them in the chart's description).
    mscStock->setFocusPolicy(Qt::TabFocus);

    FraAccount = new QGroupBox(QStringLiteral("Opening / Closing"), this);
    FraAccount->setObjectName(QStringLiteral("FraAccount"));
    FraAccount->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    Label14 = makeLabel(FraAccount, "Label14", QStringLiteral("Opening Balance"));
    txtOpenBalance = amountBox(FraAccount, "txtOpenBalance");
    lblopenStatus = makeLabel(FraAccount, "lblopenStatus", QString());
    Label13 = makeLabel(FraAccount, "Label13", QStringLiteral("Closing Balance"));
    txtCloseBalance = amountBox(FraAccount, "txtCloseBalance");
    lblcloseStatus = makeLabel(FraAccount, "lblcloseStatus", QString());
    Label14->setBuddy(txtOpenBalance);
    Label13->setBuddy(txtCloseBalance);
    for (QLabel *status : {lblopenStatus, lblcloseStatus})
        status->setMinimumWidth(status->fontMetrics().horizontalAdvance(QStringLiteral("(Credit)")) + 4);
    auto *balances = new QHBoxLayout(FraAccount);
    for (QWidget *w : std::initializer_list<QWidget *>{Label14, txtOpenBalance, lblopenStatus})
        balances->addWidget(w);
    balances->addSpacing(24);
    for (QWidget *w : std::initializer_list<QWidget *>{Label13, txtCloseBalance, lblcloseStatus})
        balances->addWidget(w);

    lblCurrDate = makeLabel(this, "lblCurrDate", KeyHint);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblCurrDate, 1);
    bottom->addWidget(FraAccount);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Shape1);
    layout->addWidget(mscStock, 1);
    layout->addLayout(bottom);
}

void frmStockGraph::Fill(const ChartData &data)
{
    QChart *old = mscStock->chart();
    mscStock->setChart(buildChart(data));
    delete old;

    mscStock->setAccessibleName(QStringList{data.title, data.subject}.join(u' ').trimmed());
    mscStock->setAccessibleDescription(chartFigures(data));

    setWindowTitle(data.windowTitle.isEmpty() ? QStringLiteral("Stock Movement") : data.windowTitle);
    lbltitle->setText(data.title);
    lblsubject->setText(data.subject);
    lblsubject->setVisible(!data.subject.isEmpty());
    m_fileName = data.suggestedFileName();
    lblfrom->setText(data.fromCaption);
    lblto->setText(data.toCaption);
    FraAccount->setVisible(data.showBalances);
    txtOpenBalance->setText(data.showBalances ? data.openingBalance.abs().toPlain() : QString());
    lblopenStatus->setText(data.showBalances ? balanceFlag(data.openingBalance) : QString());
    txtCloseBalance->setText(data.showBalances ? data.closingBalance.abs().toPlain() : QString());
    lblcloseStatus->setText(data.showBalances ? balanceFlag(data.closingBalance) : QString());
}

frmStockGraph *frmStockGraph::Present(const ChartData &data, const Source &source, Messages &messages, QWidget *caller)
{
    switch (data.status) {
    case ChartData::Status::NothingToShow: return nullptr;
    case ChartData::Status::Refused:
        messages.information(caller, caller ? caller->windowTitle() : QString(), data.message);
        return nullptr;
    case ChartData::Status::Ready: break;
    }
    frmStockGraph *window = source ? source() : nullptr;
    if (window) {
        window->Fill(data);
        window->m_presentedBy = caller;
    }
    return window;
}

void frmStockGraph::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (event->matches(QKeySequence::Print)) {
        PrintGraph();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmStockGraph::PrintGraph()
{
    const QDate today = m_state.today ? m_state.today() : QDate::currentDate();
    // The stamp's pattern is fixed: it does not follow the book's date format.
    lblCurrDate->setText(QStringLiteral("Printed On : ") + today.toString(QStringLiteral("dd/MM/yyyy")));
    if (m_state.messages->question(this, QStringLiteral("Brindlecot"),
                                   QStringLiteral("Are you sure that You want to print this Graph on Printer"))
        != QMessageBox::Yes) {
        lblCurrDate->setText(PrintHint);
        return;
    }
    bool cancelled = false;
    const QString failure = printPicture(cancelled);
    if (cancelled) {
        lblCurrDate->setText(PrintHint);
        return;
    }
    if (!failure.isEmpty())
        m_state.messages->show(this, MsgIcon::Critical, failure,
                               QStringLiteral("Error in printing :\r\n\r\nCan not print this graph.\r\n"
                                              "Please check that the printer is connected/install correctly.  "),
                               QMessageBox::Ok, QMessageBox::Ok);
}

QString frmStockGraph::askPdfPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString name = m_fileName.isEmpty() ? windowTitle() : m_fileName;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("No printer is installed: save the graph as PDF"),
                                                folder + u'/' + name + QStringLiteral(".pdf"),
                                                QStringLiteral("PDF files (*.pdf)"), nullptr,
                                                QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    return path;
}

QString frmStockGraph::printPicture(bool &cancelled)
{
    // The picture is taken first, stamp included, before any dialog covers
    // it, and at three times the screen's resolution so print stays sharp.
    constexpr int Sharpness = 3;
    QPixmap picture(size() * Sharpness);
    picture.setDevicePixelRatio(Sharpness);
    render(&picture);
    const QList<PrinterSettings> installed = m_state.printerList ? m_state.printerList() : systemPrinters();
    std::unique_ptr<QPrinter> printer;
    if (installed.isEmpty()) {
        const QString path = askPdfPath();
        if (path.isEmpty()) {
            cancelled = true;
            return {};
        }
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
    } else {
        printer = configuredPrinter(m_state.printer);
    }
    printer->setDocName(m_fileName.isEmpty() ? lbltitle->text() : m_fileName);
    printer->setPageOrientation(picture.width() > picture.height() ? QPageLayout::Landscape : QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(printer.get())) {
        if (printer->outputFormat() == QPrinter::PdfFormat)
            return QStringLiteral("The file \"%1\" could not be written.")
                .arg(QDir::toNativeSeparators(printer->outputFileName()));
        return QStringLiteral("The printer \"%1\" could not be started.").arg(printer->printerName());
    }
    const QRect page = painter.viewport();
    const QSize fitted = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(page.topLeft(), fitted), picture);
    if (!painter.end())
        return QStringLiteral("The graph could not be sent to the printer.");
    return {};
}

} // namespace bc
