#pragma once

#include "reportdata.h"
#include "reportrenderer.h"

#include <QWidget>
#include <memory>

class QKeyEvent;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace bc {

struct AppState;

// The report viewer: a top-level window that previews one printed report and
// prints it or saves it as PDF. A new viewer is made for every print; it keeps
// its own copy of the report's data, so the screen that built it may drop it
// as soon as FormShow returns, and it deletes itself when closed.
class frmReportViewer : public QWidget {
    Q_OBJECT
public:
    // parent: none, or the main window, so the viewer outlives the screen
    // that opened it.
    explicit frmReportViewer(AppState &state, QWidget *parent = nullptr);
    ~frmReportViewer() override;

    // Lays out the report of ReportData and shows the window. When the
    // report cannot be shown the user is told why, the window closes (and
    // deletes itself) and false is returned.
    bool FormShow(const ReportData &ReportData);

    int reportType() const { return reportTypeOf(m_data); }
    const ReportData &reportData() const { return m_data; }

    QPrintPreviewWidget *crvReport;
    QToolButton *cmdFirstPage;
    QToolButton *cmdPreviousPage;
    QSpinBox *txtPage;
    QLabel *lblPageCount;
    QToolButton *cmdNextPage;
    QToolButton *cmdLastPage;
    QToolButton *cmdZoomOut;
    QToolButton *cmdZoomIn;
    QToolButton *cmdFitWidth;
    QToolButton *cmdFitPage;
    QPushButton *cmdPrint;
    QPushButton *cmdExport;

protected:
    // Escape closes the viewer.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paintReport(QPrinter *printer);
    void print();
    bool saveAsPdf(const QString &caption);
    void showPage(int page);
    void updatePageControls();
    void reportFailure(const QString &description);
    // Sizes the window to the screen it opens on and centres it there.
    void placeOnScreen();
    ReportPrintInfo printInfo() const;

    AppState &m_state;
    std::unique_ptr<QPrinter> m_printer;
    ReportData m_data;
    RenderResult m_lastRender;
};

} // namespace bc
