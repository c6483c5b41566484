#include "appstate.h"
#include "chartbuilder.h"
#include "chartdata.h"
#include "datagrid.h"
#include "dlgcsvmappings.h"
#include "frmaccountstatus.h"
#include "frmmain.h"
#include "frmreportviewer.h"
#include "frmstockgraph.h"
#include "legiblecolour.h"
#include "modaldriver.h"
#include "reportdata.h"
#include "testbook.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

using namespace bc;

namespace {

// How a control is called in a failure: its object name, else its class,
// after those of its parents up to its window ("frmTransaction/fraSearch/cboToAcc").
QString described(QObject *object)
{
    QStringList path;
    for (QObject *at = object; at; at = at->parent()) {
        path.prepend(at->objectName().isEmpty() ? QString::fromLatin1(at->metaObject()->className())
                                                : at->objectName());
        if (qobject_cast<QMdiSubWindow *>(at->parent())
            || (at->isWidgetType() && static_cast<QWidget *>(at)->isWindow()))
            break;
    }
    return path.join(u'/');
}

QString nameOf(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// What a screen reader is told of a grid's first row: for each shown
// column, the column's header, the row's header and the cell's text, or why
// one is missing.
QStringList gridGaps(QAccessibleInterface *grid, QTableView *view)
{
    QStringList gaps;
    QAccessibleTableInterface *table = grid->tableInterface();
    if (!table)
        return {described(view) + QStringLiteral(": no table interface")};
    if (table->rowCount() == 0)
        return {};
    for (int column = 0; column < table->columnCount(); ++column) {
        if (view->isColumnHidden(column))
            continue;
        QAccessibleInterface *cell = table->cellAt(0, column);
        QAccessibleTableCellInterface *at = cell ? cell->tableCellInterface() : nullptr;
        const QList<QAccessibleInterface *> columnHeaders = at ? at->columnHeaderCells()
                                                               : QList<QAccessibleInterface *>();
        const QList<QAccessibleInterface *> rowHeaders = at ? at->rowHeaderCells() : QList<QAccessibleInterface *>();
        if (columnHeaders.isEmpty() || columnHeaders.first()->text(QAccessible::Name).isEmpty())
            gaps << described(view) + QStringLiteral(": column %1 has no header").arg(column);
        if (rowHeaders.isEmpty() || rowHeaders.first()->text(QAccessible::Name).isEmpty())
            gaps << described(view) + QStringLiteral(": row 1 has no header");
        // Qt makes the header cells it lists afresh and keeps no hold of
        // them; only its cache may delete them, so they are handed to it.
        for (QAccessibleInterface *header : columnHeaders + rowHeaders)
            QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
    }
    return gaps;
}

// Walks the accessible tree under a window as a screen reader does and lists
// every control that Tab can reach and that has no name, and every grid whose cells do not
// say their column and row. A grid's cells are looked at through the grid,
// not walked one by one.
QStringList namelessControls(QWidget *window)
{
    QStringList nameless;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        QObject *object = node->object();
        auto *widget = qobject_cast<QWidget *>(object);
        // A widget with a focus proxy passes the focus on (an editable
        // drop-down box's text, a scroll area's viewport): the proxy is met.
        if (widget && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && widget->isVisibleTo(window)
            && node->text(QAccessible::Name).trimmed().isEmpty())
            nameless << described(widget);
        if (auto *view = qobject_cast<QTableView *>(object)) {
            if (view->isVisibleTo(window))
                nameless << gridGaps(node, view);
            return;
        }
        if (qobject_cast<QAbstractItemView *>(object))
            return;
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface *child = node->child(i))
                walk(child);
    };
    walk(QAccessible::queryAccessibleInterface(window));
    return nameless;
}

ChartData ledgerChart()
{
    ChartData d;
    d.status = ChartData::Status::Ready;
    d.kind = ChartData::Kind::Line;
    d.seriesLabel = QStringLiteral("Balance");
    d.points = {{QStringLiteral("Opening- 01/04/2026"), Money::fromCents(1500), QStringLiteral("01/04/2026")},
                {QString(), Money::fromCents(-2500), QStringLiteral("02/04/2026")},
                {QStringLiteral("Closing- 03/04/2026"), Money::fromCents(2000), QStringLiteral("03/04/2026")}};
    d.scale = {-40, 40};
    d.title = QStringLiteral("Account Ledger");
    d.subject = QStringLiteral("Bank");
    return d;
}

} // namespace

class TestAccessibility : public bc::test::WindowTest {
    Q_OBJECT

    frmMain *openMain()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(10, QStringLiteral("Bank"), 4, Money());
        book.addAccount(11, QStringLiteral("Rent"), 2, Money());
        const QDate today(2026, 12, 7);
        book.addTransaction(1, today.addDays(-1), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
        m_state->today = [today] { return today; };
        [&] { QVERIFY(openBook()); }();
        frmMain *w = showMainWindow();
        [&] { QVERIFY(w); }();
        return w;
    }

private slots:
    // Every window the menus open, the chart window, the report viewer and
    // the CSV layouts dialog: each focusable control tells a screen reader its name, each
    // grid its column and row, and the chart its figures.
    void everyControlOfEveryWindowHasAName()
    {
        frmMain *w = openMain();
        for (QAction *open : {w->mnuOtherTran, w->mnuOtherAccounts, w->mnuConfig, w->mnuImportStatement,
                              w->mnuReconcile, w->mnuDeletedItems, w->mnu_report_account, w->mnu_Reports_AccStatus,
                              w->mnu_Reports_FinStatements, w->mnuAbout})
            open->trigger();
        frmStockGraph *chart = w->showStockGraph();
        frmStockGraph::Present(
            ledgerChart(), [chart] { return chart; }, *m_state->messages, w);
        QCOMPARE(w->mdiArea->subWindowList().size(), 11);

        const QStringList nameless = namelessControls(w);
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(u'\n')));

        auto *view = chart->findChild<QChartView *>(QStringLiteral("mscStock"));
        QAccessibleInterface *pictured = QAccessible::queryAccessibleInterface(view);
        QVERIFY(pictured->text(QAccessible::Name).contains(QStringLiteral("Account Ledger")));
        const QString figures = pictured->text(QAccessible::Description);
        QVERIFY2(figures.contains(QStringLiteral("02/04/2026: -25.00")), qPrintable(figures));

        auto *viewer = new frmReportViewer(*m_state);
        QVERIFY(viewer->FormShow(TransactionListData{{{QDate(2026, 12, 6), QStringLiteral("Bank"),
                                                       QStringLiteral("Rent"), Money::fromCents(10000), QString()}},
                                                     QDate(),
                                                     QDate()}));
        const QStringList inViewer = namelessControls(viewer);
        QVERIFY2(inViewer.isEmpty(), qPrintable(inViewer.join(u'\n')));

        QStringList inDialog{QStringLiteral("not shown")};
        bc::test::whenModal<dlgCsvMappings>(this, [&inDialog](dlgCsvMappings *dialog) {
            inDialog = namelessControls(dialog);
            dialog->reject();
        });
        w->mnuCsvMappings->trigger();
        QVERIFY2(inDialog.isEmpty(), qPrintable(inDialog.join(u'\n')));
    }

    // On a dark desktop the Account Summary's red, blue and green rows are
    // lighter shades of their colours that stand out from the dark grid,
    // and charts are drawn dark.
    void aDarkPaletteKeepsColouredTextAndChartsReadable()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Window, QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });

        frmMain *w = openMain();
        w->mnu_Reports_AccStatus->trigger();
        auto *summary = static_cast<frmAccountStatus *>(w->child(QStringLiteral("frmAccountStatus")));
        summary->SelectAll(true);
        summary->Find();
        QAbstractItemModel *rows = summary->tdbgAccounts->model();
        QVERIFY(rows->rowCount() > 2);
        QSet<int> hues;
        for (int row = 0; row < rows->rowCount(); ++row) {
            const QColor ink = rows->index(row, 1).data(Qt::ForegroundRole).value<QColor>();
            const QString said = rows->index(row, 1).data().toString();
            QVERIFY2(contrastRatio(ink, dark.color(QPalette::Base)) >= 4.5, qPrintable(said + u' ' + ink.name()));
            hues << ink.hslHue();
        }
        QVERIFY(hues.contains(QColor(Qt::red).hslHue()) && hues.contains(QColor(Qt::blue).hslHue()));

        ChartData chart = ledgerChart();
        std::unique_ptr<QChart> drawn(buildChart(chart));
        QCOMPARE(drawn->theme(), QChart::ChartThemeDark);
    }

    // A typist going round the settings window with Tab hears a name at
    // every stop and comes back to where they began.
    void tabGoesRoundTheSettingsNamingEachStop()
    {
        frmMain *w = openMain();
        w->mnuConfig->trigger();
        QWidget *first = QApplication::focusWidget();
        QVERIFY(first);
        QStringList heard;
        for (int stop = 0; stop < 60; ++stop) {
            QWidget *at = QApplication::focusWidget();
            QString name = nameOf(at);
            if (name.isEmpty() && at->parentWidget())
                name = nameOf(at->parentWidget()); // a date box's text field speaks for its box
            QVERIFY2(!name.isEmpty(), qPrintable(described(at)));
            heard << name;
            bc::test::press(Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
        }
        QCOMPARE(QApplication::focusWidget(), first);
        QVERIFY2(heard.size() > 3, qPrintable(heard.join(u',')));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
