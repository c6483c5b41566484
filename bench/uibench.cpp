// Times the program's windows on the offscreen platform: start-up to the
// main window shown, the account and transaction windows filling their grids,
// and the ledger window with its chart. Prints the figures as one JSON object.
//
//   uibench startup BOOK
//   uibench transactions --book BOOK --week DATE
//   uibench windows --book BOOK --accounts-book BOOK --week DATE
//                   --account NAME --from DATE --to DATE [--runs N]

#include "accounts.h"
#include "appstate.h"
#include "dates.h"
#include "frmaccountledger.h"
#include "frmaccountmaster.h"
#include "frmstockgraph.h"
#include "frmtransaction.h"
#include "messages.h"
#include "startup.h"
#include "timing.h"
#include "widgets/datagrid.h"
#include "widgets/dateentry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <memory>

using namespace bc;
using namespace bc::bench;

namespace {

// A message during a benchmark means something went wrong: say so and let
// the sequence give up rather than wait for an answer nobody gives.
class ConsoleMessages : public Messages {
public:
    QMessageBox::StandardButton show(QWidget *, MsgIcon, const QString &title, const QString &text,
                                     QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        std::fprintf(stderr, "uibench: message \"%s\": %s\n", qPrintable(title), qPrintable(text));
        failed = true;
        return QMessageBox::Cancel;
    }
    bool failed = false;
};

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "uibench: %s\n", qPrintable(message));
    std::exit(1);
}

// Lets the window system expose and paint the window, as a user would see it.
void settle(QWidget *window)
{
    QApplication::processEvents();
    while (window->windowHandle() && !window->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents();
}

// The application state of one benchmark, with the book named in its
// settings file; open() opens the book and loads its settings as start-up does.
struct Session {
    QTemporaryDir dir;
    ConsoleMessages messages;
    AppState state;
    QString bookPath;

    explicit Session(const QString &book)
        : bookPath(book)
    {
        state.paths = AppPaths{dir.path()};
        state.messages = &messages;
        state.defaultPrinter = [] { return PrinterSettings(); };
        state.printerList = [] { return QList<PrinterSettings>(); };
        const SettingsFile settings = state.settingsFile();
        if (!settings.createIfMissing() || !settings.write(book, PrinterSettings()).isEmpty())
            fail(QStringLiteral("cannot write the settings file"));
    }

    void open()
    {
        if (const OpenResult r = state.book.open(bookPath); !r.ok())
            fail(r.description);
        LoadSystemSettings(state.book, state.settings);
    }
};

struct Range {
    QString account;
    QDate from;
    QDate to;
};

QJsonObject startup(const Stopwatch &sinceMain, const QString &book)
{
    const double appReady = sinceMain.ms();
    Session session(book);
    StartUp startUp(session.state);
    if (!startUp.run() || !startUp.mainWindow())
        fail(QStringLiteral("start-up did not reach the main window"));
    settle(startUp.mainWindow());
    const double shown = sinceMain.ms();
    if (session.messages.failed)
        fail(QStringLiteral("start-up showed a message"));
    return {{QStringLiteral("application_ms"), appReady}, {QStringLiteral("main_window_shown_ms"), shown}};
}

// Clicks a grid's column header, as the user sorts by that column.
void clickHeader(DataGrid *grid, int column)
{
    emit grid->horizontalHeader()->sectionClicked(column);
    QApplication::processEvents();
}

QJsonObject accountWindow(const QString &book, int runs)
{
    Session session(book);
    session.open();
    Stopwatch opening;
    frmAccountMaster window(session.state);
    window.show();
    settle(&window);
    const double openMs = opening.ms();
    QJsonObject find = measure(runs, [&] {
        window.cmdFind->click();
        QApplication::processEvents();
    });
    find[QStringLiteral("rows")] = window.AccountRows.rowCount();
    const QJsonObject sort = measure(runs, [&] { clickHeader(window.tdbgAccounts, AccountCol::Name); });
    return {{QStringLiteral("open_ms"), openMs}, {QStringLiteral("find"), find}, {QStringLiteral("sort_name"), sort}};
}

// The memory the process holds now (resident set), in megabytes.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// The window on its benchmark week, then Find with every criterion off:
// the first screen shown (the total and count of all, the first page of
// rows), the memory it takes above the window emptied by Blank, and the
// memory after scrolling down a hundred screens.
QJsonObject transactionWindow(const QString &book, const QDate &week, int runs)
{
    Session session(book);
    session.open();
    // The window opens on the seven days before today: the benchmark week.
    session.state.today = [week] { return week.addDays(6); };
    Stopwatch opening;
    frmTransaction window(session.state);
    window.show();
    settle(&window);
    const double openMs = opening.ms();
    const auto find = [&] {
        window.cmdFind->click();
        window.tdbgTran->viewport()->repaint();
        QApplication::processEvents();
    };
    QJsonObject weekJson = measure(runs, find);
    weekJson[QStringLiteral("rows")] = window.TranRows.rowCount();
    window.cmdBlank->click();
    QApplication::processEvents();
    const double emptyMb = residentMb();
    window.chkApply->setChecked(false);
    QJsonObject all = measure(std::min(runs, 3), find);
    Stopwatch adding;
    while (window.lbltotal->text() == QStringLiteral("\u2026"))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    all[QStringLiteral("total_shown_after_ms")] = adding.ms();
    all[QStringLiteral("rows_read")] = window.TranRows.rowCount();
    all[QStringLiteral("total")] = window.lbltotal->text();
    all[QStringLiteral("memory_above_empty_mb")] = residentMb() - emptyMb;
    window.tdbgTran->setFocus();
    for (int i = 0; i < 100; ++i) {
        QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(window.tdbgTran, &pageDown);
        QApplication::processEvents();
    }
    all[QStringLiteral("rows_after_100_pages_down")] = window.TranRows.rowCount();
    all[QStringLiteral("memory_above_empty_after_scrolling_mb")] = residentMb() - emptyMb;
    if (session.messages.failed)
        fail(QStringLiteral("the transaction window showed a message"));
    return {{QStringLiteral("open_ms"), openMs}, {QStringLiteral("week"), weekJson}, {QStringLiteral("all"), all}};
}

// The ledger of one account shown in its window (Find until the grid and the
// balance boxes are filled and painted), and its Graph button filling the
// chart window.
QJsonObject ledgerWindow(const QString &book, const Range &range, int runs)
{
    Session session(book);
    session.open();
    std::unique_ptr<frmStockGraph> chart;
    const frmStockGraph::Source chartWindow = [&] {
        if (!chart)
            chart = std::make_unique<frmStockGraph>(session.state);
        chart->show();
        return chart.get();
    };
    frmAccountLedger window(session.state, chartWindow);
    window.show();
    settle(&window);
    window.cboAccount->setCurrentIndex(window.cboAccount->findText(range.account));
    if (window.cboAccount->currentIndex() < 0)
        fail(QStringLiteral("the ledger window does not list %1").arg(range.account));
    window.dtpFromDate->setDate(range.from);
    window.dtpToDate->setDate(range.to);
    QJsonObject find = measure(runs, [&] {
        window.cmdFind->click();
        QApplication::processEvents();
    });
    find[QStringLiteral("rows")] = window.LedgerRows.rowCount();
    QJsonObject graph = measure(runs, [&] {
        window.CmdGraph->click();
        if (chart)
            settle(chart.get());
    });
    if (!chart || session.messages.failed)
        fail(QStringLiteral("the ledger window drew no chart"));
    return {{QStringLiteral("find"), find}, {QStringLiteral("graph"), graph}};
}

QString optionValue(const QStringList &args, const QString &name)
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

} // namespace

int main(int argc, char **argv)
{
    const Stopwatch sinceMain;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    QJsonObject out;
    if (args.size() == 3 && args[1] == QLatin1String("startup")) {
        out = startup(sinceMain, args[2]);
    } else if (args.size() >= 2 && args[1] == QLatin1String("windows")) {
        const QString runsText = optionValue(args, QStringLiteral("--runs"));
        const int runs = runsText.isEmpty() ? 5 : runsText.toInt();
        const QDate week = fromIsoDate(optionValue(args, QStringLiteral("--week")));
        const QString book = optionValue(args, QStringLiteral("--book"));
        const QString accountsBook = optionValue(args, QStringLiteral("--accounts-book"));
        const Range range{optionValue(args, QStringLiteral("--account")),
                          fromIsoDate(optionValue(args, QStringLiteral("--from"))),
                          fromIsoDate(optionValue(args, QStringLiteral("--to")))};
        if (runs < 1 || !week.isValid() || book.isEmpty() || accountsBook.isEmpty() || range.account.isEmpty()
            || !range.from.isValid() || !range.to.isValid())
            fail(QStringLiteral("windows needs --book, --accounts-book, --week, --account, --from, --to "
                                "and a --runs of 1 or more"));
        out[QStringLiteral("account_window")] = accountWindow(accountsBook, runs);
        out[QStringLiteral("transaction_window")] = transactionWindow(book, week, runs);
        out[QStringLiteral("ledger_window")] = ledgerWindow(book, range, runs);
    } else if (args.size() >= 2 && args[1] == QLatin1String("transactions")) {
        const QDate week = fromIsoDate(optionValue(args, QStringLiteral("--week")));
        const QString book = optionValue(args, QStringLiteral("--book"));
        if (!week.isValid() || book.isEmpty())
            fail(QStringLiteral("transactions needs --book and --week"));
        out[QStringLiteral("transaction_window")] = transactionWindow(book, week, 3);
    } else {
        fail(QStringLiteral("usage: uibench startup BOOK | uibench transactions --book BOOK --week DATE | "
                            "uibench windows --book BOOK --accounts-book BOOK "
                            "--week DATE --account NAME --from DATE --to DATE [--runs N]"));
    }
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    return 0;
}
