#include "appstate.h"
#include "bookchangewatch.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "frmaccountledger.h"
#include "frmmain.h"
#include "frmstockgraph.h"
#include "recordingmessages.h"
#include "reportdefinition.h"
#include "sql.h"
#include "testbook.h"
#include "typist.h"
#include "viewerlookup.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace bc;
using bc::test::RecordingMessages;

class TestFrmAccountLedger : public bc::test::WindowTest {
    Q_OBJECT

    int m_chartRequests = 0;

    frmAccountLedger *open()
    {
        auto *w = new frmAccountLedger(*m_state, [this]() -> frmStockGraph * {
            ++m_chartRequests;
            return nullptr;
        });
        new QAbstractItemModelTester(w->TDBGAccLdgr->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     w);
        w->show();
        QApplication::setActiveWindow(w);
        return w;
    }
    static void find(frmAccountLedger *w, const QString &account, QDate from, QDate to)
    {
        w->cboAccount->setCurrentIndex(w->cboAccount->findText(account));
        w->dtpFromDate->setDate(from);
        w->dtpToDate->setDate(to);
        w->cmdFind->click();
    }
    static QStringList shownRow(frmAccountLedger *w, int row)
    {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells << w->TDBGAccLdgr->model()->index(row, c).data().toString();
        return cells;
    }
    static QString boxes(frmAccountLedger *w)
    {
        return w->txtOpenAmount->text() + u'|' + w->lblopenFlag->text() + u'|' + w->txtBalanceAmount->text() + u'|'
            + w->lblcloseflag->text();
    }

    static void addRows(bc::test::TestBook &book)
    {
        book.addAccount(41, QStringLiteral("Bank"), 4, Money::fromCents(100000));
        book.addAccount(42, QStringLiteral("Rent"), 2, Money());
        book.addAccount(43, QStringLiteral("Salary"), 1, Money());
        book.addTransaction(1, QDate(2026, 4, 10), 43, 41, Money::fromCents(50000), QStringLiteral("April pay"));
        book.addTransaction(2, QDate(2026, 5, 3), 41, 42, Money::fromCents(20000), QStringLiteral("May rent"));
        book.addTransaction(3, QDate(2026, 6, 15), 41, 42, Money::fromCents(15000), QStringLiteral("June rent"));
        book.addTransaction(4, QDate(2026, 7, 1), 41, 42, Money::fromCents(123450), QStringLiteral("Deposit"));
    }

private slots:
    void init()
    {
        newBook();
        addRows(*m_book);
        start();
        m_state->today = [] { return QDate(2026, 12, 7); };
        m_state->settings.finYearStart = QDate(2026, 4, 1);
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->settings.currency = QStringLiteral("Rs.");
        QVERIFY(openBook());
        m_chartRequests = 0;
    }

    void opensEmptyAndFindBlankSwitchGraph()
    {
        frmAccountLedger *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Account Ledger"));
        QCOMPARE(w->CmdGraph->text(), QStringLiteral(" &Graph"));
        QVERIFY(!w->CmdGraph->isEnabled());
        QVERIFY(w->cmdprint->isEnabled());
        QCOMPARE(w->cboAccount->currentIndex(), -1);
        QStringList names;
        for (int i = 0; i < w->cboAccount->count(); ++i)
            names << w->cboAccount->itemText(i);
        QCOMPARE(names, (QStringList{"Bank", "CASH", "CST", "PURCHASE", "Rent", "RST", "Salary", "SALES", "SC"}));
        QCOMPARE(w->cboAccount->itemData(0).toLongLong(), 41);
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 4, 1));
        QCOMPARE(w->dtpToDate->date(), QDate(2026, 12, 7));
        QCOMPARE(w->dtpFromDate->lineEdit()->text(), QStringLiteral("1/4/2026"));
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QCOMPARE(w->LedgerRows.columnCount(), 6);
        QCOMPARE(boxes(w), QStringLiteral("|||"));

        // Find without an account: nothing listed, zero balances, Graph on.
        w->cmdFind->click();
        QVERIFY(w->CmdGraph->isEnabled());
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QCOMPARE(boxes(w), QStringLiteral("0.00||0.00|"));

        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        QCOMPARE(w->LedgerRows.rowCount(), 3);
        w->cmdClear->click();
        QVERIFY(!w->CmdGraph->isEnabled());
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QCOMPARE(w->cboAccount->currentIndex(), -1);
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 4, 1));
        QCOMPARE(boxes(w), QStringLiteral("0.00||0.00|"));
        QVERIFY(m_messages.shown.isEmpty());

        // Shift+Tab in the account box goes to the grid.
        w->cboAccount->setFocus();
        QTest::keyClick(w->cboAccount, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->TDBGAccLdgr->hasFocus());
    }

    void enterPicksInTheListThenRunsFind()
    {
        frmAccountLedger *w = open();
        QTest::mouseClick(w->cboAccount, Qt::LeftButton); // opens the list
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Rent"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w->cboAccount->currentText(), QStringLiteral("Rent"));
        QVERIFY(!w->CmdGraph->isEnabled()); // the Enter that picked ran no Find

        QTest::mouseClick(w->dtpFromDate->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1/6/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(w->CmdGraph->isEnabled());
        QCOMPARE(w->LedgerRows.rowCount(), 2);
        QCOMPARE(shownRow(w, 0).value(1), QStringLiteral("By Bank [June rent]"));
    }

    void dateBoxesTakeTheGridsTypingOrRefuseSaying()
    {
        frmAccountLedger *w = open();
        QTest::mouseClick(w->cboAccount, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Bank"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::mouseClick(w->dtpFromDate->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("01072026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 7, 1));
        QCOMPARE(w->LedgerRows.rowCount(), 1); // the deposit alone
        QVERIFY(m_messages.shown.isEmpty());

        // Text that is no date is refused with the reason; the report is not
        // run over the date the box held before.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("31/04/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(w->dtpFromDate->lineEdit()->text(), QStringLiteral("31/04/2026")); // kept, not put back
        w->Blank();
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QTest::mouseClick(w->dtpToDate->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1/13/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_messages.last(), QStringLiteral("Error|Invalid Date\r\n\"1/13/2026\": there is no month 13."));
        QVERIFY(!w->CmdGraph->isEnabled()); // no Find ran
        QCOMPARE(QApplication::focusWidget(), w->dtpToDate->lineEdit());
    }

    void findListsMovementsWithRunningBalance()
    {
        // The May rent has cleared the bank; Rent's side of it stands apart.
        runSql(connectionOf(m_state->book),
               QStringLiteral("UPDATE transaction_master SET from_status = 'c' WHERE particulars = 'May rent'"));
        frmAccountLedger *w = open();
        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        // Opening: 1000.00 plus April's 500.00 before the from-date.
        QCOMPARE(w->OpeningBalance(), Money::fromCents(150000));
        QCOMPARE(boxes(w), QStringLiteral("1500.00|(Credit)|84.50|(Debit)"));
        QCOMPARE(shownRow(w, 0),
                 (QStringList{"03/05/2026", "To Rent [May rent]", "200.00", "", "1300.00 (Credit)", "c"}));
        QCOMPARE(shownRow(w, 1),
                 (QStringList{"15/06/2026", "To Rent [June rent]", "150.00", "", "1150.00 (Credit)", ""}));
        // The Standard format groups plain numbers and leaves other texts alone.
        QCOMPARE(shownRow(w, 2),
                 (QStringList{"01/07/2026", "To Rent [Deposit]", "1,234.50", "", "84.50  (Debit)", ""}));
        QAbstractItemModel *m = w->TDBGAccLdgr->model();
        QStringList captions;
        for (int c = 0; c < 6; ++c)
            captions << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"Date", "Particulars", "Debit", "Credit", "Balance Amount", "R"}));
        QVERIFY(w->TDBGAccLdgr->horizontalHeader()->height() >= 2 * w->fontMetrics().lineSpacing());
        QVERIFY(!(m->index(0, 1).flags() & Qt::ItemIsEditable));

        // The other side sees the same movements as credits; nothing of Bank remains.
        find(w, QStringLiteral("Rent"), QDate(2026, 4, 1), QDate(2026, 6, 30));
        QCOMPARE(w->LedgerRows.rowCount(), 2);
        QCOMPARE(shownRow(w, 0),
                 (QStringList{"03/05/2026", "By Bank [May rent]", "", "200.00", "200.00 (Credit)", ""}));
        QCOMPARE(boxes(w), QStringLiteral("0.00||350.00|(Credit)"));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void printHandsTheRowsAndTheBoxesToTheViewer()
    {
        frmAccountLedger *w = open();
        w->cmdprint->click(); // before any Find: an empty ledger
        frmReportViewer *viewer = bc::test::openReportViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->reportType(), int(AccountLedgerReport));
        QVERIFY(std::get<LedgerReportData>(viewer->reportData()).ledger.movements.empty());
        viewer->close();
        QTRY_VERIFY(!bc::test::openReportViewer());

        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        w->cmdprint->click();
        viewer = bc::test::openReportViewer();
        QVERIFY(viewer);
        const ReportTable set = printedReport(viewer->reportData(), m_state->dateFormat()).table;
        QCOMPARE(set.rows.size(), w->LedgerRows.rowCount());
        // S.No, Date, Particulars, Debit, Credit, Balance.
        QCOMPARE(set.rows[2][0], QStringLiteral("3"));
        // Balances keep their sides: the debit is printed as "84.50 Dr".
        QCOMPARE(set.rows[2][5], QStringLiteral("84.50 Dr"));
        QCOMPARE(set.rows[2][3], QStringLiteral("1234.50"));
        QCOMPARE(set.rows[2][4], QStringLiteral("0.00"));
        QVERIFY(set.parameterValues.contains(QStringLiteral("1500.00 Cr")));
        QVERIFY(set.parameterValues.contains(QStringLiteral("84.50 Dr")));
    }

    void toDateBeforeFromDateShowsOpeningAndRefusesTheGraph()
    {
        frmAccountLedger *w = open();
        find(w, QStringLiteral("Bank"), QDate(2026, 6, 1), QDate(2026, 5, 1));
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QCOMPARE(boxes(w), QStringLiteral("1300.00|(Credit)|1300.00|(Credit)"));
        QVERIFY(w->CmdGraph->isEnabled());
        w->CmdGraph->click();
        QCOMPARE(m_chartRequests, 0);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(int(m_messages.shown[0].icon), int(MsgIcon::Information));
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Account Ledger"));
        QVERIFY(m_messages.shown[0].text.contains(QStringLiteral("earlier than the From Date")));
    }

    void graphFillsTheOneChartWindowOfTheMainWindow()
    {
        auto *main = new frmMain(*m_state);
        main->show();
        QApplication::setActiveWindow(main);
        main->mnu_Reports_AccStatus->trigger();
        QVERIFY(main->mnu_report_account->isEnabled());
        main->mnu_report_account->trigger();
        auto *w = qobject_cast<frmAccountLedger *>(main->child(QStringLiteral("frmAccountLedger")));
        QVERIFY(w);
        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 5, 31));
        w->CmdGraph->click();
        auto *chart = qobject_cast<frmStockGraph *>(main->child(QStringLiteral("frmStockGraph")));
        QVERIFY(chart);
        QCOMPARE(chart->lbltitle->text(), QStringLiteral("Account Ledger"));
        QCOMPARE(chart->lblfrom->text(), QStringLiteral(" From :- 01/05/2026"));
        QCOMPARE(chart->txtOpenBalance->text(), QStringLiteral("1500.00"));
        QCOMPARE(chart->lblcloseStatus->text(), QStringLiteral("(Credit)"));
        auto *line = qobject_cast<QLineSeries *>(chart->mscStock->chart()->series().value(0));
        QVERIFY(line);
        QCOMPARE(line->count(), 31);
        QCOMPARE(line->at(0).y(), 1500.0);
        QCOMPARE(line->at(2).y(), 1300.0); // 3 May and every day after it
        QCOMPARE(line->at(30).y(), 1300.0);

        // A second Graph refills the same window.
        main->mdiArea->setActiveSubWindow(main->mdiArea->subWindowList().at(1));
        find(w, QStringLiteral("Rent"), QDate(2026, 5, 1), QDate(2026, 5, 10));
        w->CmdGraph->click();
        QCOMPARE(main->child(QStringLiteral("frmStockGraph")), chart);
        QCOMPARE(qobject_cast<QLineSeries *>(chart->mscStock->chart()->series().value(0))->count(), 10);
        QCOMPARE(main->mdiArea->subWindowList().size(), 3);
        QVERIFY(m_messages.shown.isEmpty());
        // Escape closes the chart and returns to the ledger.
        QTest::keyClick(chart, Qt::Key_Escape);
        QTRY_VERIFY(!main->child(QStringLiteral("frmStockGraph")));
        QCOMPARE(main->mdiArea->activeSubWindow()->widget(), w);
    }

    // Another program saves a transaction of Bank while the ledger and its
    // chart show Bank: at the next poll both show it.
    void anotherProgramsSaveReachesTheLedgerAndItsChart()
    {
        auto *main = new frmMain(*m_state);
        main->show();
        QVERIFY(bc::test::activate(main));
        main->mnu_report_account->trigger();
        auto *w = qobject_cast<frmAccountLedger *>(main->child(QStringLiteral("frmAccountLedger")));
        QVERIFY(w);
        w->cboAccount->setFocus(); // a click on the box
        QTest::keyClicks(w->cboAccount, QStringLiteral("Bank"));
        bc::test::press(Qt::Key_F, Qt::AltModifier);
        QCOMPARE(w->LedgerRows.rowCount(), 4);
        bc::test::press(Qt::Key_G, Qt::AltModifier);
        auto *chart = qobject_cast<frmStockGraph *>(main->child(QStringLiteral("frmStockGraph")));
        QVERIFY(chart);
        QCOMPARE(w->txtBalanceAmount->text(), QStringLiteral("84.50"));
        QCOMPARE(chart->txtCloseBalance->text(), QStringLiteral("84.50"));

        QVERIFY(m_book->book().open(m_book->path()).ok()); // the other program
        m_book->addTransaction(5, QDate(2026, 8, 1), 41, 42, Money::fromCents(10000), QStringLiteral("Repairs"));
        main->bookWatch().poll(); // the frame's timer may have been first
        QTRY_COMPARE(w->LedgerRows.rowCount(), 5);
        QCOMPARE(w->txtBalanceAmount->text(), QStringLiteral("184.50"));
        QCOMPARE(chart->txtCloseBalance->text(), QStringLiteral("184.50"));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void foreignRowsAndSumsPastTheRangeAreReportedInAMessageBox()
    {
        // Such rows live only in a book of format 1, shown read-only.
        bc::test::TestBook old(bc::test::TestBook::Kind::Format1ReadOnly);
        addRows(old);
        QVERIFY(m_state->book.open(old.path(), OpenOptions{.readOnly = true}).ok());
        frmAccountLedger *w = open();
        runSql(old.writer(), QStringLiteral("UPDATE transaction_master SET amount = '12,50' WHERE tran_id = 2"));
        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(int(m_messages.shown[0].icon), int(MsgIcon::Critical));
        QVERIFY(m_messages.last().contains(
            QStringLiteral("table transaction_master, row tran_id 2: the amount '12,50' is stored as text")));
        QCOMPARE(w->LedgerRows.rowCount(), 0);

        runSql(old.writer(),
               QStringLiteral("UPDATE transaction_master SET amount = 4000000000000000000, "
                              "from_acc = 43, to_acc = 41 WHERE tran_id IN (2, 3, 4)"));
        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY(m_messages.last().contains(
            QStringLiteral("The amounts are too large to add up: the running balance of the ledger on 2026-07-01.")));
        QCOMPARE(boxes(w), QStringLiteral("0.00||0.00|"));
    }

    void failingStatementsAreReported()
    {
        frmAccountLedger *w = open();
        find(w, QStringLiteral("Bank"), QDate(2026, 5, 1), QDate(2026, 12, 7));
        runSql(connectionOf(m_state->book), QStringLiteral("DROP TABLE Tmp_acc_ldgr_graph"));
        w->CmdGraph->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.last().startsWith(QStringLiteral("Error|Error\r\n")));
        QCOMPARE(m_chartRequests, 0);
        QVERIFY(!QApplication::overrideCursor());

        runSql(connectionOf(m_state->book), QStringLiteral("DROP TABLE tmp_Acc_Ldgr"));
        w->cmdFind->click();
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(int(m_messages.shown[1].icon), int(MsgIcon::Critical));
        QVERIFY(m_messages.last().startsWith(QStringLiteral("Error|Error\r\n")));
        QVERIFY(m_messages.last().contains(QStringLiteral("tmp_Acc_Ldgr"), Qt::CaseInsensitive));
        QVERIFY(!QApplication::overrideCursor());
        // Nothing of the earlier Find stays on show, and there is nothing to draw.
        QCOMPARE(w->LedgerRows.rowCount(), 0);
        QCOMPARE(boxes(w), QStringLiteral("0.00||0.00|"));
        QVERIFY(!w->CmdGraph->isEnabled());
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TestFrmAccountLedger)
#include "tst_frmaccountledger.moc"
