#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "frmaccountledger.h"
#include "frmfinancialstatements.h"
#include "frmmain.h"
#include "frmreportviewer.h"
#include "frmstockgraph.h"
#include "frmtransaction.h"
#include "modaldriver.h"
#include "testbook.h"
#include "typist.h"
#include "viewerlookup.h"
#include "windowfixture.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedBarSeries>
#include <QTest>
#include <QTreeWidget>

using namespace bc;
using namespace bc::test;

class TestFrmFinancialStatements : public WindowTest {
    Q_OBJECT

    // The figures of the tree's line of that name, as shown.
    static QStringList shownLine(QTreeWidget *tree, const QString &name)
    {
        const QList<QTreeWidgetItem *> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        QStringList cells;
        if (!found.isEmpty())
            for (int c = 1; c < tree->columnCount(); ++c)
                cells << found.first()->text(c);
        return cells;
    }

    // Each bar set of a series as its name and values.
    static QStringList barValues(QAbstractBarSeries *series)
    {
        QStringList sets;
        if (series)
            for (QBarSet *set : series->barSets()) {
                QStringList words{set->label()};
                for (int i = 0; i < set->count(); ++i)
                    words << QString::number(set->at(i));
                sets << words.join(u' ');
            }
        return sets;
    }

    static QString pdfText(const QStringList &arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"), arguments);
        return tool.waitForFinished(60000) && tool.exitCode() == 0 ? QString::fromUtf8(tool.readAllStandardOutput())
                                                                   : QString();
    }

    // Every line of the tree as its words: the name, then the figures.
    static QStringList treeLines(QTreeWidget *tree)
    {
        QStringList lines;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            QStringList cells;
            for (int c = 0; c < tree->columnCount(); ++c)
                cells << (*it)->text(c);
            lines << cells.join(u' ').simplified();
        }
        return lines;
    }

    // The main window, shown, and the statements opened from its menu;
    // null when either fails to show.
    frmFinancialStatements *openStatements(frmMain *&main)
    {
        main = showMainWindow();
        if (!main)
            return nullptr;
        main->mnu_Reports_FinStatements->trigger();
        return qobject_cast<frmFinancialStatements *>(main->child(QStringLiteral("frmFinancialStatements")));
    }

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(41, QStringLiteral("Bank"), 4, Money::fromCents(100000));
        m_book->addAccount(42, QStringLiteral("Rent"), 2, Money());
        m_book->addAccount(43, QStringLiteral("Salary"), 1, Money());
        m_book->addTransaction(1, QDate(2026, 4, 10), 43, 41, Money::fromCents(50000), QStringLiteral("April pay"));
        m_book->addTransaction(2, QDate(2026, 5, 3), 41, 42, Money::fromCents(20000), QStringLiteral("May rent"));
        m_book->addTransaction(3, QDate(2026, 6, 15), 41, 42, Money::fromCents(15000), QStringLiteral("June rent"));
        // Figures of tens of millions in many columns, to be printed across
        // one page.
        if (QTest::currentTestFunction() == QByteArrayView("comparedByMonthPrintsTheWindowsFigures"))
            m_book->addTransaction(4, QDate(2026, 5, 20), 43, 41, Money::fromCents(9876543210), QStringLiteral("Sale"));
        start();
        m_state->today = [] { return QDate(2026, 12, 7); };
        m_state->settings.finYearStart = QDate(2026, 4, 1);
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        QVERIFY(openBook());
    }

    // A quarter's income statement by month; Enter on May's rent opens the
    // ledger of Rent for May; then the balance sheet at the quarter's end.
    void byMonthEnterOpensTheLedgerThenTheBalanceSheet()
    {
        frmMain *main = nullptr;
        frmFinancialStatements *w = openStatements(main);
        QVERIFY(w);
        QCOMPARE(QApplication::focusWidget(), w->cboKind);
        QCOMPARE(w->cboKind->currentText(), QStringLiteral("Income Statement"));
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 4, 1));

        QVERIFY(tabTo(w->dtpToDate->lineEdit()));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/6/2026"));
        QVERIFY(tabTo(w->cboPeriod));
        press(Qt::Key_Down);
        QCOMPARE(w->cboPeriod->currentText(), QStringLiteral("Month"));
        press(Qt::Key_Return);

        QTreeWidget *tree = w->tvwStatement;
        QCOMPARE(tree->headerItem()->text(2), QStringLiteral("01/05/2026 to 31/05/2026"));
        QCOMPARE(tree->headerItem()->text(4), QStringLiteral("Total"));
        QCOMPARE(shownLine(tree, QStringLiteral("Salary")), (QStringList{"500.00", "0.00", "0.00", "500.00"}));
        QCOMPARE(shownLine(tree, QStringLiteral("Rent")), (QStringList{"0.00", "200.00", "150.00", "350.00"}));
        QCOMPARE(shownLine(tree, QStringLiteral("Net income")),
                 (QStringList{"500.00", "-200.00", "-150.00", "150.00"}));

        // Down from Salary past Total income and the Expenses heading to
        // Rent, Right to May, Enter.
        QVERIFY(tabTo(tree));
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Rent"));
        press(Qt::Key_Right);
        QCOMPARE(tree->currentColumn(), 2);
        press(Qt::Key_Return);
        auto *ledger = qobject_cast<frmAccountLedger *>(main->child(QStringLiteral("frmAccountLedger")));
        QVERIFY(ledger);
        QCOMPARE(ledger->cboAccount->currentText(), QStringLiteral("Rent"));
        QCOMPARE(ledger->dtpFromDate->date(), QDate(2026, 5, 1));
        QCOMPARE(ledger->dtpToDate->date(), QDate(2026, 5, 31));
        QCOMPARE(ledger->LedgerRows.rowCount(), 1);
        QCOMPARE(ledger->ClosingBalance(), Money::fromCents(20000));

        // Back in the statements window: the balance sheet at the quarter's end.
        main->mnu_Reports_FinStatements->trigger();
        QCOMPARE(main->child(QStringLiteral("frmFinancialStatements")), w);
        QVERIFY(tabTo(w->cboKind));
        press(Qt::Key_Down);
        QCOMPARE(w->cboKind->currentText(), QStringLiteral("Balance Sheet"));
        QVERIFY(tabTo(w->cboPeriod));
        press(Qt::Key_Up);
        press(Qt::Key_Return);
        QCOMPARE(tree->headerItem()->text(1), QStringLiteral("30/06/2026"));
        QCOMPARE(shownLine(tree, QStringLiteral("Bank")), QStringList{"1,150.00"});
        QCOMPARE(shownLine(tree, QStringLiteral("Total assets")), QStringList{"1,150.00"});
        QCOMPARE(shownLine(tree, QStringLiteral("Opening balances")), QStringList{"1,000.00"});
        QCOMPARE(shownLine(tree, QStringLiteral("Net income for the period")), QStringList{"150.00"});
        QCOMPARE(shownLine(tree, QStringLiteral("Total liabilities and equity")), QStringList{"1,150.00"});

        // Its chart: the assets' bar beside the liabilities' and equity's.
        press(Qt::Key_C, Qt::AltModifier);
        auto *chart = qobject_cast<frmStockGraph *>(main->child(QStringLiteral("frmStockGraph")));
        QVERIFY(chart);
        auto *stacked = qobject_cast<QStackedBarSeries *>(chart->mscStock->chart()->series().value(0));
        QVERIFY(stacked);
        QCOMPARE(barValues(stacked),
                 (QStringList{"Total assets 1150 0", "Total liabilities 0 0", "Total equity 0 1150"}));
        QCOMPARE(chart->windowTitle(), QStringLiteral("Balance Sheet"));

        // The income statement by month charted: income and expenses as
        // bars, net income as a line.
        main->mnu_Reports_FinStatements->trigger();
        QVERIFY(tabTo(w->cboKind));
        press(Qt::Key_Up);
        QVERIFY(tabTo(w->cboPeriod));
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(main->child(QStringLiteral("frmStockGraph")), chart);
        const QList<QAbstractSeries *> series = chart->mscStock->chart()->series();
        QCOMPARE(series.size(), 2);
        QCOMPARE(barValues(qobject_cast<QBarSeries *>(series[0])),
                 (QStringList{"Total income 500 0 0", "Total expenses 0 200 150"}));
        auto *net = qobject_cast<QLineSeries *>(series[1]);
        QVERIFY(net);
        QCOMPARE(net->name(), QStringLiteral("Net income"));
        QCOMPARE(net->points(), (QList<QPointF>{{0, 500}, {1, -200}, {2, -150}}));
        QVERIFY(m_messages.shown.isEmpty());
    }

    // Enter on a total lists the transactions of its accounts over its
    // column's days in the Transactions window, which says what it lists.
    void enterOnATotalListsTheTransactionsBehindIt()
    {
        frmMain *main = nullptr;
        frmFinancialStatements *w = openStatements(main);
        QVERIFY(w);
        QTreeWidget *tree = w->tvwStatement;
        QCOMPARE(tree->columnCount(), 1);
        QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Account"));
        QVERIFY(tabTo(w->dtpToDate->lineEdit()));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/6/2026"));
        QVERIFY(tabTo(w->cboPeriod));
        press(Qt::Key_Down);
        press(Qt::Key_Return);

        // Down from Salary to Total expenses, Right to May, Enter.
        QVERIFY(tabTo(tree));
        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Total expenses"));
        press(Qt::Key_Right);
        press(Qt::Key_Return);
        auto *found = qobject_cast<frmTransaction *>(main->child(QStringLiteral("frmTransaction")));
        QVERIFY(found);
        QCOMPARE(QApplication::focusWidget(), found->tdbgTran);
        QCOMPARE(found->TranRows.rowCount(), 1);
        QCOMPARE(found->TranRows.intAt(0, TranCol::Id), 2);
        QVERIFY(found->chkApply->isChecked());
        QCOMPARE(found->dtpFromDate->date(), QDate(2026, 5, 1));
        QCOMPARE(found->dtpToDate->date(), QDate(2026, 5, 31));
        QCOMPARE(found->windowTitle(), QStringLiteral("Transactions - Total expenses, Income Statement"));
        QCOMPARE(found->lblStatus->text(),
                 QStringLiteral("The transactions of the accounts in Total expenses, "
                                "Income Statement, 1/5/2026 to 31/5/2026; Blank lists by "
                                "the fields alone."));
        QCOMPARE(found->lbltotal->text(), QStringLiteral("200.00"));

        // Net income over the quarter: every transaction of Salary and Rent.
        main->mnu_Reports_FinStatements->trigger();
        QVERIFY(tabTo(tree));
        press(Qt::Key_Down);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Net income"));
        press(Qt::Key_Right);
        press(Qt::Key_Right);
        QCOMPARE(tree->currentColumn(), 4);
        press(Qt::Key_Return);
        QCOMPARE(main->child(QStringLiteral("frmTransaction")), found);
        QCOMPARE(found->TranRows.rowCount(), 3);
        QCOMPARE(found->dtpFromDate->date(), QDate(2026, 4, 1));
        QCOMPARE(found->lbltotal->text(), QStringLiteral("850.00"));

        // Blank goes back to searching by the fields alone.
        press(Qt::Key_B, Qt::AltModifier);
        QCOMPARE(found->windowTitle(), QStringLiteral("Transactions"));
        QVERIFY(!found->searchCriteria().anySide);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // A quarter by month compared with the previous months (16 figure
    // columns) printed to PDF: every line of the window is a line of the
    // PDF with the same figures, and nothing runs off the landscape page.
    void comparedByMonthPrintsTheWindowsFigures()
    {
        m_state->settings.currency = QStringLiteral("EUR");
        auto *w = new frmFinancialStatements(*m_state);
        w->show();
        QVERIFY(activate(w));
        QVERIFY(tabTo(w->dtpToDate->lineEdit()));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/6/2026"));
        QVERIFY(tabTo(w->cboPeriod));
        press(Qt::Key_Down);
        QVERIFY(tabTo(w->cboCompare));
        press(Qt::Key_Down);
        QCOMPARE(w->cboCompare->currentText(), QStringLiteral("Previous period"));
        press(Qt::Key_Return);
        QCOMPARE(w->tvwStatement->columnCount(), 17);

        press(Qt::Key_P, Qt::AltModifier);
        frmReportViewer *viewer = openReportViewer();
        QVERIFY(viewer);
        const QString target = file(QStringLiteral("statement.pdf"));
        bc::test::answerFileDialog(this, target);
        viewer->cmdExport->click();
        QVERIFY(m_messages.shown.isEmpty());

        const QString text = pdfText({QStringLiteral("-layout"), target, QStringLiteral("-")});
        QStringList printed;
        for (const QString &line : text.split(u'\n'))
            printed << line.simplified();
        QVERIFY(printed.contains(QStringLiteral("Income Statement")));
        QVERIFY(printed.contains(QStringLiteral("Period: 01/04/2026 to 30/06/2026")));
        QVERIFY(printed.contains(QStringLiteral("Currency: EUR")));
        QCOMPARE(text.count(u'\f'), 1);
        QVERIFY(text.contains(QStringLiteral("Jun")) && text.contains(QStringLiteral("Q1")));
        const QStringList shown = treeLines(w->tvwStatement);
        QVERIFY(shown.contains(QStringLiteral("Rent 0.00 0.00 0.00 200.00 0.00 200.00 150.00 200.00 -50.00 -25.0 "
                                              "350.00 0.00 350.00")));
        for (const QString &line : shown)
            QVERIFY2(printed.contains(line), qPrintable(line));

        const QString boxes = pdfText({QStringLiteral("-bbox"), target, QStringLiteral("-")});
        static const QRegularExpression page(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
        const auto size = page.match(boxes);
        QVERIFY(size.hasMatch());
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
        static const QRegularExpression right(QStringLiteral(R"re(xMax="([\d.]+)")re"));
        for (auto it = right.globalMatch(boxes); it.hasNext();)
            QVERIFY(it.next().captured(1).toDouble() <= size.captured(1).toDouble() - 40);
        viewer->close();
    }
};

QTEST_MAIN(TestFrmFinancialStatements)
#include "tst_frmfinancialstatements.moc"
