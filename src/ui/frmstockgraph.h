#pragma once

#include "chartdata.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QChartView;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace bc {

struct AppState;
class Messages;

// The chart window: the ledger and summary screens fill it with a chart and
// show it. It closes on Escape and prints its own picture on Ctrl+P. There is
// one at a time: a screen asks its source for it, which shows the open one or
// makes a new one.
class frmStockGraph : public QWidget {
    Q_OBJECT
public:
    explicit frmStockGraph(AppState &state, QWidget *parent = nullptr);

    QFrame *Shape1;
    QLabel *lbltitle;
    QLabel *lblsubject; // what the chart is of: the ledger's account
    QLabel *lblfrom;
    QLabel *lblto;
    QChartView *mscStock;
    QLabel *lblCurrDate;
    QGroupBox *FraAccount; // the account's opening and closing balances
    QLabel *Label14;
    QLineEdit *txtOpenBalance;
    QLabel *lblopenStatus;
    QLabel *Label13;
    QLineEdit *txtCloseBalance;
    QLabel *lblcloseStatus;

    // Replaces the chart, the header captions and the balance frame with
    // those of data. Data that is not ready leaves the chart empty.
    void Fill(const ChartData &data);

    // Ctrl+P: stamps the date, asks, and prints the window as it is shown on
    // the configured printer, or into a PDF file when no printer is installed.
    void PrintGraph();

    // Gives the one chart window, shown; null when there is none to give.
    using Source = std::function<frmStockGraph *()>;

    // What a chart button does with its data: nothing when there is nothing
    // to show, the reason in a message when the chart cannot be drawn, else
    // the chart in the window from source. Returns the window it filled.
    static frmStockGraph *Present(const ChartData &data, const Source &source, Messages &messages, QWidget *caller);

    // Whether the chart shown is the one screen presented last, so that the
    // screen draws it afresh when it reads its figures again.
    bool showsChartOf(const QWidget *screen) const { return m_presentedBy == screen; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    // Prints the picture; returns why it failed, or nothing. cancelled is set
    // when the user gave up choosing a file.
    QString printPicture(bool &cancelled);
    QString askPdfPath();

    AppState &m_state;
    QPointer<QWidget> m_presentedBy;
    QString m_fileName; // suggested for the picture saved as PDF
};

} // namespace bc
