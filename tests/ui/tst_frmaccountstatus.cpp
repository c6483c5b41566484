#include "appstate.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "frmaccountstatus.h"
#include "frmmain.h"
#include "frmstockgraph.h"
#include "recordingmessages.h"
#include "reportdefinition.h"
#include "rowarraymodel.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "viewerlookup.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace bc;
using bc::test::RecordingMessages;

class TestFrmAccountStatus : public bc::test::WindowTest {
    Q_OBJECT

    int m_chartRequests = 0;

    frmAccountStatus *open()
    {
        auto *w = new frmAccountStatus(*m_state, [this]() -> frmStockGraph * {
            ++m_chartRequests;
            return nullptr;
        });
        new QAbstractItemModelTester(w->tdbgAccounts->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     w);
        w->show();
        QApplication::setActiveWindow(w);
        return w;
    }
    static QStringList selectedNames(frmAccountStatus *w)
    {
        QStringList names;
        for (int i = 0; i < w->lstAccount->topLevelItemCount(); ++i)
            if (w->lstAccount->topLevelItem(i)->isSelected())
                names << w->lstAccount->topLevelItem(i)->text(0);
        return names;
    }
    static QStringList listedNames(frmAccountStatus *w)
    {
        QStringList names;
        for (int r = 0; r < w->SummaryRows.rowCount(); ++r)
            names << w->SummaryRows.row(r).name;
        return names;
    }
    static QString totals(frmAccountStatus *w)
    {
        return w->txtTotalOpen->text() + u'|' + w->txtTotalTran->text() + u'|' + w->txtTotalBal->text();
    }
    static void pickClass(frmAccountStatus *w, const QString &name)
    {
        w->cboAccType->setCurrentIndex(w->cboAccType->findText(name));
    }

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(41, QStringLiteral("Bank"), 4, Money::fromCents(250000));
        m_book->addAccount(42, QStringLiteral("Rent"), 2, Money());
        m_book->addAccount(43, QStringLiteral("Salary"), 1, Money());
        m_book->addAccount(44, QStringLiteral("Consulting"), 3, Money());
        m_book->addAccount(45, QStringLiteral("Loan"), 5, Money());
        m_book->addAccount(46, QStringLiteral("Untyped"), 1, Money());
        m_book->addAccount(47, QStringLiteral("Odd type"), 0, Money()); // as saved without a type
        runSql(m_book->db(), QStringLiteral("UPDATE account_master SET account_type = NULL WHERE account_id = 46"));
        m_book->addTransaction(1, QDate(2026, 5, 1), 43, 41, Money::fromCents(24870000));
        m_book->addTransaction(2, QDate(2026, 6, 1), 41, 42, Money::fromCents(120000));
        m_book->addTransaction(3, QDate(2026, 6, 2), 43, 4, Money::fromCents(30000));
        start();
        m_state->today = [] { return QDate(2026, 12, 7); };
        m_state->settings.finYearStart = QDate(2026, 4, 1);
        m_state->settings.dateFormat = QStringLiteral("M/d/yyyy");
        m_state->settings.currency = QStringLiteral("Rs.");
        QVERIFY(openBook());
        m_chartRequests = 0;
    }

    void classesSelectByTypeCode()
    {
        frmAccountStatus *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Account Summary"));
        QCOMPARE(w->cboAccType->count(), 13);
        QCOMPARE(w->cboAccType->itemText(0), QStringLiteral("Only Income Accounts"));
        QCOMPARE(w->cboAccType->itemText(12), QStringLiteral("All Accounts"));
        QCOMPARE(w->cboAccType->currentIndex(), -1);
        QCOMPARE(w->lstAccount->topLevelItemCount(), 13);
        QCOMPARE(w->lstAccount->topLevelItem(0)->text(0), QStringLiteral("Bank"));
        QCOMPARE(w->lstAccount->topLevelItem(0)->text(frmAccountStatus::IdColumn), QStringLiteral("41"));
        QVERIFY(w->lstAccount->isColumnHidden(frmAccountStatus::TypeColumn));
        QVERIFY(selectedNames(w).isEmpty());
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 4, 1));
        QCOMPARE(w->dtpToDate->lineEdit()->text(), QStringLiteral("12/7/2026"));
        QCOMPARE(totals(w), QStringLiteral("0.00|0.00|0.00"));

        w->lstAccount->topLevelItem(0)->setSelected(true); // by hand, then replaced by the class
        pickClass(w, QStringLiteral("All Income Accounts"));
        QCOMPARE(selectedNames(w), (QStringList{"Consulting", "Salary", "SALES"}));
        pickClass(w, QStringLiteral("All Asset and Liability Accounts"));
        QCOMPARE(selectedNames(w), (QStringList{"Bank", "CASH", "Loan"}));
        // An account with no type code or an unknown one belongs to no class.
        pickClass(w, QStringLiteral("All Accounts"));
        QCOMPARE(selectedNames(w).size(), 11);
        QVERIFY(!selectedNames(w).contains(QStringLiteral("Untyped")));
        QVERIFY(!selectedNames(w).contains(QStringLiteral("Odd type")));

        // The list header sorts on the name, descending first.
        emit w->lstAccount->header()->sectionClicked(2);
        QCOMPARE(w->lstAccount->topLevelItem(0)->text(0), QStringLiteral("Untyped"));
        emit w->lstAccount->header()->sectionClicked(0);
        QCOMPARE(w->lstAccount->topLevelItem(0)->text(0), QStringLiteral("Bank"));
    }

    void findListsChosenAccountsAndBlankKeepsTheChoice()
    {
        frmAccountStatus *w = open();
        pickClass(w, QStringLiteral("All Asset Accounts"));
        w->dtpFromDate->setDate(QDate(2026, 5, 15));
        w->cmdFind->click();
        // A blank balance box sets no bound, so a 250,000.00 balance stays listed.
        QCOMPARE(listedNames(w), (QStringList{"Bank", "CASH"}));
        QAbstractItemModel *m = w->tdbgAccounts->model();
        QCOMPARE(m->index(0, SummaryGridColumn::OpeningColumn).data().toString(), QStringLiteral("251200.00"));
        QCOMPARE(m->index(0, SummaryGridColumn::MovementColumn).data().toString(), QStringLiteral("-1200.00"));
        QCOMPARE(m->index(0, SummaryGridColumn::BalanceColumn).data().toString(), QStringLiteral("250000.00"));
        QCOMPARE(totals(w), QStringLiteral("251200.00|-900.00|250300.00"));
        QStringList captions;
        for (int c = 1; c < SummaryGridColumn::ColumnCount; ++c)
            captions << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"A/C Name", "Open Amount", "Transactions", "Balance Amount", "A/C Type"}));

        w->txtBal2->setText(QStringLiteral("1000"));
        w->cmdFind->click();
        QCOMPARE(listedNames(w), (QStringList{"CASH"}));

        w->txtOpen1->setText(QStringLiteral("5"));
        w->cmdBlank->click();
        QCOMPARE(w->SummaryRows.rowCount(), 0);
        QCOMPARE(totals(w), QStringLiteral("0.00|0.00|0.00"));
        for (QLineEdit *bound : {w->txtOpen1, w->txtOpen2, w->txtBal1, w->txtBal2})
            QVERIFY(bound->text().isEmpty());
        QCOMPARE(selectedNames(w), (QStringList{"Bank", "CASH"}));
        QCOMPARE(w->cboAccType->currentText(), QStringLiteral("All Asset Accounts"));
        QCOMPARE(w->dtpFromDate->date(), QDate(2026, 5, 15));

        // A double-click on the list runs Find as the button does.
        emit w->lstAccount->itemDoubleClicked(w->lstAccount->topLevelItem(0), 0);
        QCOMPARE(listedNames(w), (QStringList{"Bank", "CASH"}));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void enterPicksTheClassThenRunsFind()
    {
        frmAccountStatus *w = open();
        QTest::mouseClick(w->cboAccType, Qt::LeftButton); // opens the list
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("All Asset"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(selectedNames(w), (QStringList{"Bank", "CASH"}));
        QCOMPARE(w->SummaryRows.rowCount(), 0); // the Enter that picked ran no Find
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(listedNames(w), (QStringList{"Bank", "CASH"}));

        QTest::mouseClick(w->txtBal2, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1000"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(listedNames(w), (QStringList{"CASH"}));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void printHandsTheSelectedRowsInSelectionOrder()
    {
        frmAccountStatus *w = open();
        pickClass(w, QStringLiteral("All Asset Accounts"));
        w->cmdFind->click();
        QCOMPARE(listedNames(w), (QStringList{"Bank", "CASH"}));
        w->cmdprint->click(); // nothing selected: every row
        frmReportViewer *viewer = bc::test::openReportViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->reportType(), int(AccountSummaryReport));
        QCOMPARE(printedReport(viewer->reportData(), m_state->dateFormat()).table.rows.size(), 2);
        viewer->close();
        QTRY_VERIFY(!bc::test::openReportViewer());

        auto *selection = w->tdbgAccounts->selectionModel();
        selection->select(w->tdbgAccounts->model()->index(1, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->select(w->tdbgAccounts->model()->index(0, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w->cmdprint->click();
        viewer = bc::test::openReportViewer();
        QVERIFY(viewer);
        const ReportTable set = printedReport(viewer->reportData(), m_state->dateFormat()).table;
        QCOMPARE(set.rows.size(), 2);
        // S.No, A/C Name, Open Amount, Transactions, Balance Amount.
        QCOMPARE(set.rows[0][1], QStringLiteral("CASH"));
        QCOMPARE(set.rows[1][0], QStringLiteral("2"));
        QCOMPARE(set.rows[1][1], QStringLiteral("Bank"));
    }

    void rangeBoxKeyRules()
    {
        frmAccountStatus *w = open();
        for (QLineEdit *opening : {w->txtOpen1, w->txtOpen2}) {
            QTest::keyClicks(opening, QStringLiteral("1a-2.3.-b "));
            QCOMPARE(opening->text(), QStringLiteral("1-2.3.-"));
            QTest::keyClick(opening, Qt::Key_Backspace);
            QCOMPARE(opening->text(), QStringLiteral("1-2.3."));
        }
        for (QLineEdit *balance : {w->txtBal1, w->txtBal2}) {
            QTest::keyClicks(balance, QStringLiteral("12abc"));
            QCOMPARE(balance->text(), QStringLiteral("12abc"));
        }
    }

    void headerClicksSortAndRowsAreColoured()
    {
        frmAccountStatus *w = open();
        pickClass(w, QStringLiteral("All Accounts"));
        w->cmdFind->click();
        QCOMPARE(w->SummaryRows.rowCount(), 11);
        QHeaderView *header = w->tdbgAccounts->horizontalHeader();
        emit header->sectionClicked(SummaryGridColumn::BalanceColumn);
        QCOMPARE(w->SortOrder, SortDirection::Descending);
        QCOMPARE(w->SummaryRows.row(0).name, QStringLiteral("Bank"));
        emit header->sectionClicked(SummaryGridColumn::BalanceColumn);
        QCOMPARE(w->SummaryRows.row(0).name, QStringLiteral("Salary"));
        // The printed summary follows the sorted grid.
        w->cmdprint->click();
        frmReportViewer *viewer = bc::test::openReportViewer();
        QVERIFY(viewer);
        const ReportTable printed = printedReport(viewer->reportData(), m_state->dateFormat()).table;
        QCOMPARE(printed.rows.size(), 11);
        for (int r = 0; r < 11; ++r)
            QCOMPARE(printed.rows[r][1], w->SummaryRows.row(r).name);
        viewer->close();
        QTRY_VERIFY(!bc::test::openReportViewer());
        // Every Find starts the order again.
        w->cmdFind->click();
        QCOMPARE(w->SortOrder, SortDirection::Ascending);

        QAbstractItemModel *m = w->tdbgAccounts->model();
        const auto colourOf = [&](const QString &name) {
            const int row = int(listedNames(w).indexOf(name));
            return m->index(row, SummaryGridColumn::NameColumn).data(Qt::ForegroundRole).value<QColor>();
        };
        QCOMPARE(colourOf(QStringLiteral("CASH")), QColor(255, 0, 0));
        QCOMPARE(colourOf(QStringLiteral("PURCHASE")), QColor(255, 0, 0));
        QCOMPARE(colourOf(QStringLiteral("Bank")), QColor(0, 0, 255));
        SummaryResult shown = w->SummaryRows.result();
        const int party = int(shown.listed.size());
        shown.listed.push_back({0, QStringLiteral("CASH"), {}, {}, {}, AccountSide::Party});
        const int other = int(shown.listed.size());
        shown.listed.push_back({0, QString(), {}, {}, {}, sideOfLetter(u'X')});
        w->SummaryRows.show(std::move(shown));
        QCOMPARE(m->index(party, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 255, 0));
        QVERIFY(!m->index(other, 1).data(Qt::ForegroundRole).isValid());
    }

    // Clicked headers sort the listed rows as a grid over a row array of the
    // same values sorts them (ties keep their order, names by character
    // code), and every cell shows that grid's text with its alignment.
    void headerClicksSortAsARowArrayGridOfTheSameRows()
    {
        frmAccountStatus *w = open();
        const auto cents = [](qint64 c) { return Money::fromCents(c); };
        SummaryResult shown;
        shown.listed = {{1, QStringLiteral("bank"), cents(500), cents(-500), cents(0), AccountSide::Account},
                        {2, QStringLiteral("Bank"), cents(-70), cents(0), cents(-70), AccountSide::Party},
                        {3, QStringLiteral("BANK"), cents(500), cents(123456789), cents(0), AccountSide::None},
                        {4, QString(), cents(0), cents(-1), cents(-70), AccountSide::Account},
                        {5, QStringLiteral("Rent"), cents(12), cents(5), cents(17), AccountSide::Party}};
        RowArray rows(
            {CellType::Int, CellType::Text, CellType::Money, CellType::Money, CellType::Money, CellType::Text});
        for (const SummaryRow &listed : shown.listed) {
            const int r = rows.appendRow();
            rows.setInt(r, SummaryGridColumn::IdColumn, listed.accountId);
            rows.setText(r, SummaryGridColumn::NameColumn, listed.name);
            rows.setMoney(r, SummaryGridColumn::OpeningColumn, listed.opening);
            rows.setMoney(r, SummaryGridColumn::MovementColumn, listed.movement);
            rows.setMoney(r, SummaryGridColumn::BalanceColumn, listed.balance);
            rows.setText(r, SummaryGridColumn::SideColumn,
                         listed.side == AccountSide::None ? QString() : QString(sideLetter(listed.side)));
        }
        RowArrayModel expected(rows, w->SummaryRows.columns());
        w->SummaryRows.show(shown);
        const auto cells = [](const QAbstractItemModel *m) {
            QStringList texts;
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    texts << m->index(r, c).data().toString() + u'@'
                            + QString::number(m->index(r, c).data(Qt::TextAlignmentRole).toInt());
            return texts;
        };
        QCOMPARE(cells(w->tdbgAccounts->model()), cells(&expected));
        QHeaderView *header = w->tdbgAccounts->horizontalHeader();
        for (int c = SummaryGridColumn::NameColumn; c < SummaryGridColumn::ColumnCount; ++c) {
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(header->sectionViewportPosition(c) + 4, header->height() / 2));
                expected.rows().sortRows(c, w->SortOrder);
                expected.rebind();
                QCOMPARE(cells(w->tdbgAccounts->model()), cells(&expected));
            }
        }
    }

    void chartsFillTheChartWindowFromTheGridRows()
    {
        auto *main = new frmMain(*m_state);
        main->show();
        main->mnu_Reports_AccStatus->trigger();
        auto *w = qobject_cast<frmAccountStatus *>(main->child(QStringLiteral("frmAccountStatus")));
        QVERIFY(w);
        // Nothing to draw yet: no chart window.
        w->cmdBalanceGraph->click();
        QVERIFY(!main->child(QStringLiteral("frmStockGraph")));

        pickClass(w, QStringLiteral("All Asset Accounts"));
        w->cmdFind->click();
        emit w->tdbgAccounts->horizontalHeader()->sectionClicked(SummaryGridColumn::BalanceColumn);
        w->cmdBalanceGraph->click();
        auto *chart = qobject_cast<frmStockGraph *>(main->child(QStringLiteral("frmStockGraph")));
        QVERIFY(chart);
        QCOMPARE(chart->lbltitle->text(), QStringLiteral("Account Summary"));
        QVERIFY(!chart->FraAccount->isVisible());
        auto *bars = qobject_cast<QBarSeries *>(chart->mscStock->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->barSets().first()->label(), QStringLiteral("Balance Amount"));
        QCOMPARE(bars->barSets().first()->at(0), 250000.0); // the grid's order: largest first
        QCOMPARE(bars->barSets().first()->at(1), 300.0);

        main->mdiArea->setActiveSubWindow(main->mdiArea->subWindowList().first());
        w->cmdTransactionGraph->click();
        QCOMPARE(main->child(QStringLiteral("frmStockGraph")), chart);
        bars = qobject_cast<QBarSeries *>(chart->mscStock->chart()->series().value(0));
        QCOMPARE(bars->barSets().first()->label(), QStringLiteral("Transaction Amount"));
        QCOMPARE(bars->barSets().first()->at(0), 248700.0 - 1200.0);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void failingFindIsReported()
    {
        frmAccountStatus *w = open();
        pickClass(w, QStringLiteral("All Accounts"));
        w->cmdFind->click();
        runSql(connectionOf(m_state->book), QStringLiteral("DROP TABLE Account_Status"));
        w->cmdFind->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.last().startsWith(QStringLiteral("Error|Error\r\n")));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(w->SummaryRows.rowCount(), 0);
        QCOMPARE(totals(w), QStringLiteral("0.00|0.00|0.00"));
        w->cmdBalanceGraph->click();
        QCOMPARE(m_chartRequests, 0);
    }
};

QTEST_MAIN(TestFrmAccountStatus)
#include "tst_frmaccountstatus.moc"
