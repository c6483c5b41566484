#include "appstate.h"
#include "bookdigest.h"
#include "datagrid.h"
#include "dateentry.h"
#include "frmreportviewer.h"
#include "frmtransaction.h"
#include "recordingmessages.h"
#include "reportdefinition.h"
#include "rowarraymodel.h"
#include "sql.h"
#include "testbook.h"
#include "typist.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>

using namespace bc;
using bc::test::cellOf;
using bc::test::goToRow;
using bc::test::press;
using bc::test::showChecked;
using bc::test::typeInCell;
using bc::test::typeIntoCell;
using bc::test::RecordingMessages;
using bc::test::type;
using bc::test::typeCells;

class TestFrmTransaction : public bc::test::WindowTest {
    Q_OBJECT

    const QDate m_today{2026, 12, 7};

    frmTransaction *open() { return open(*m_state); }
    frmTransaction *open(AppState &state)
    {
        auto *w = new frmTransaction(state);
        showChecked(w->tdbgTran);
        return w;
    }
    QModelIndex cell(frmTransaction *w, int row, int column) { return cellOf(w->tdbgTran, row, column); }
    void typeInto(frmTransaction *w, int row, int column, const QString &text)
    {
        typeIntoCell(w->tdbgTran, row, column, text);
    }
    int countTable(const char *table)
    {
        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
        return q.next() ? q.value(0).toInt() : -1;
    }

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(10, QStringLiteral("Bank"), 4, Money());
        m_book->addAccount(11, QStringLiteral("Rent"), 2, Money());
        m_book->addTransaction(1, m_today.addDays(-1), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
        m_book->addTransaction(2, m_today.addDays(-2), 11, 10, Money::fromCents(-4050), QStringLiteral("refund"));
        m_book->addTransaction(3, m_today.addDays(-30), 11, 10, Money::fromCents(77700), QStringLiteral("old"));
        start();
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->today = [this] { return m_today; };
        QVERIFY(openBook());
    }

    void loadsTheLastWeekWithItsTotal()
    {
        frmTransaction *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Transactions"));
        QVERIFY(w->chkApply->isChecked());
        QCOMPARE(w->dtpFromDate->date(), m_today.addDays(-7));
        QCOMPARE(w->dtpToDate->date(), m_today);
        QCOMPARE(w->TranRows.rowCount(), 2);
        QCOMPARE(w->lbltotal->text(), QStringLiteral("59.50"));
        QAbstractItemModel *m = w->tdbgTran->model();
        QCOMPARE(m->headerData(TranCol::To, Qt::Horizontal).toString(), QStringLiteral(" Credit [To (A/C) ]"));
        QCOMPARE(m->headerData(TranCol::From, Qt::Horizontal).toString(), QStringLiteral(" Debit [ From (A/C) ]"));
        QCOMPARE(m->data(cell(w, 1, TranCol::Date)).toString(),
                 m_today.addDays(-1).toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(m->data(cell(w, 1, TranCol::From)).toString(), QStringLiteral("Bank"));
        QCOMPARE(m->data(cell(w, 1, TranCol::To)).toString(), QStringLiteral("Rent"));
        QCOMPARE(m->data(cell(w, 0, TranCol::Amount)).toString(), QStringLiteral("-40.50"));
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY(w->cmdprint->isEnabled() && !w->cmdSave->isEnabled());
    }

    void findArgumentsFollowTheFields()
    {
        frmTransaction *w = open();
        w->chkApply->setChecked(false);
        const QString blank = QStringLiteral(" ");
        QCOMPARE(tranSearchArguments(w->searchCriteria()),
                 (QVariantList{blank, blank, 0, blank, 0, blank, 0, 0, blank}));
        w->cboFromAcc->setCurrentIndex(w->cboFromAcc->findText(QStringLiteral("Bank")));
        w->cboToAcc->setEditText(QStringLiteral("Not an account"));
        QTest::keyClicks(w->txtparticulars, QStringLiteral("it's"));
        QCOMPARE(w->txtparticulars->text(), QStringLiteral("its"));
        QVariantList args = tranSearchArguments(w->searchCriteria());
        QCOMPARE(args[2], QVariant(qint64(10)));
        QCOMPARE(args[3], QVariant(QStringLiteral("A")));
        QCOMPARE(args[4], QVariant(qint64(0)));
        QCOMPARE(args[5], QVariant(blank));
        QCOMPARE(args[8], QVariant(QStringLiteral("its ")));
        w->txtparticulars->clear();
        w->cboToAcc->setEditText(QString());
        w->cmdFind->click();
        QCOMPARE(w->TranRows.rowCount(), 1); // Bank to Rent only, any date
        w->cmdBlank->click();
        QCOMPARE(w->TranRows.rowCount(), 0);
        QCOMPARE(w->cboFromAcc->currentText(), QString());
        QCOMPARE(w->lbltotal->text(), QStringLiteral("0.00"));
        QVERIFY(!w->chkApply->isChecked()); // kept by Blank
    }

    void enterInTheSearchBoxesRunsFind()
    {
        frmTransaction *w = open();
        QTest::mouseClick(w->cboFromAcc->lineEdit(), Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Rent"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w->TranRows.rowCount(), 1); // the refund, from Rent within the last week

        QTest::mouseClick(w->dtpFromDate->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1/11/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w->TranRows.rowCount(), 2); // and the one from November

        QTest::mouseClick(w->txtparticulars, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("old"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w->TranRows.rowCount(), 1);
        QCOMPARE(w->TranRows.textAt(0, TranCol::Particulars), QStringLiteral("old"));
        QCOMPARE(w->lbltotal->text(), QStringLiteral("777.00"));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void newRowStartedInFromGetsTodayAndSameAccountsAreCaught()
    {
        frmTransaction *w = open();
        w->cmdEdit->click();
        const int added = w->TranRows.rowCount();
        typeInto(w, added, TranCol::From, QStringLiteral("Bank"));
        QCOMPARE(w->TranRows.rowCount(), added + 1);
        QCOMPARE(w->TranRows.dateAt(added, TranCol::Date), m_today);
        QCOMPARE(w->TranRows.intAt(added, TranCol::Id), 0);
        QCOMPARE(w->TranRows.editMarkAt(added, TranCol::Status), EditMark::Changed);
        QVERIFY(m_messages.shown.isEmpty());
        typeInto(w, added, TranCol::To, QStringLiteral("Bank"));
        QCOMPARE(m_messages.last(), QStringLiteral("Error|To A/c same as From A/c"));
        typeInto(w, added, TranCol::Amount, QStringLiteral("-12.5"));
        w->cmdSave->click();
        QCOMPARE(m_messages.last(), QStringLiteral("Error|Bad data in Record No 3\r\nFrom A/c same as To A/c!"));
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        typeInto(w, added, TranCol::To, QStringLiteral("Rent"));
        w->cmdSave->click(); // a negative amount is accepted
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(w->TranRows.rowCount(), 3);
        QCOMPARE(w->lbltotal->text(), QStringLiteral("47.00"));
    }

    void aTypedAccountFilterCompletesOrFindIsRefusedNamingIt()
    {
        m_state->book.close();
        QVERIFY(m_book->book().open(m_book->path()).ok());
        m_book->addAccount(12, QStringLiteral("Business"), 4, Money());
        m_book->addAccount(13, QStringLiteral("Bus fares"), 2, Money());
        m_book->addTransaction(4, m_today.addDays(-3), 12, 13, Money::fromCents(250), QStringLiteral("ticket"));
        QVERIFY(openBook());
        frmTransaction *w = open();
        QTest::mouseClick(w->cboFromAcc->lineEdit(), Qt::LeftButton);
        type(QStringLiteral("busi"));
        press(Qt::Key_Return);
        QCOMPARE(w->cboFromAcc->currentText(), QStringLiteral("Business"));
        QCOMPARE(w->TranRows.rowCount(), 1);
        QCOMPARE(w->TranRows.textAt(0, TranCol::Particulars), QStringLiteral("ticket"));
        QVERIFY(m_messages.shown.isEmpty());

        for (const QString &typed : {QStringLiteral("Bus"), QStringLiteral("Busx")}) {
            press(Qt::Key_A, Qt::ControlModifier);
            type(typed);
            press(Qt::Key_Return);
            QCOMPARE(w->TranRows.rowCount(), 1); // the list of the last Find stays
            QCOMPARE(w->cboFromAcc->currentText(), typed);
        }
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(m_messages.shown[0].text,
                 QStringLiteral("\"Bus\" in From A/C begins 2 account names (Bus fares, "
                                "Business).\r\nType more of the name or pick one with "
                                "Alt+Down."));
        QVERIFY2(m_messages.shown[1].text.startsWith(QStringLiteral("\"Busx\" in From A/C names no account")),
                 qPrintable(m_messages.last()));
    }

    void zeroAmountAndBadDatesAreRefused()
    {
        frmTransaction *w = open();
        w->cmdEdit->click();
        const int added = w->TranRows.rowCount();
        typeInto(w, added, TranCol::Date, QStringLiteral("31/02/2026"));
        QCOMPARE(m_messages.last(), QStringLiteral("Error|Invalid Date\r\n\"31/02/2026\": February 2026 has 28 days."));
        // The editor stays open with the typing, ready to be corrected;
        // nothing was written, so no row was started.
        QWidget *editor = w->tdbgTran->indexWidget(cell(w, added, TranCol::Date));
        QVERIFY(editor);
        QCOMPARE(QApplication::focusWidget(), editor);
        QCOMPARE(bc::test::focusedText(), QStringLiteral("31/02/2026"));
        QCOMPARE(w->TranRows.rowCount(), added);
        type(QStringLiteral("5/12/2026"));
        press(Qt::Key_Tab);
        QCOMPARE(w->TranRows.rowCount(), added + 1);
        QCOMPARE(w->TranRows.dateAt(added, TranCol::Date), QDate(2026, 12, 5));
        typeInto(w, added, TranCol::Date, QStringLiteral("06122026"));
        QCOMPARE(w->TranRows.dateAt(added, TranCol::Date), QDate(2026, 12, 6));
        typeInto(w, added, TranCol::From, QStringLiteral("Rent"));
        typeInto(w, added, TranCol::To, QStringLiteral("Bank"));
        w->cmdSave->click();
        QCOMPARE(m_messages.last(), QStringLiteral("Error|Bad data in Record No 3\r\nInvalid Amount"));
        QCOMPARE(countTable("transaction_master"), 3);
    }

    void deletionIsStagedAtOnceAndAppliedBySave()
    {
        frmTransaction *w = open();
        w->cmdEdit->click();
        w->tdbgTran->selectRow(0);
        QTest::keyClick(w->tdbgTran, Qt::Key_Delete);
        QCOMPARE(w->TranRows.rowCount(), 1);
        QCOMPARE(countTable("transaction_master"), 3);
        w->cmdSave->click();
        QCOMPARE(countTable("transaction_master"), 2);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
    }

    // A reconciled transaction's amount changed in the grid: Save asks
    // first; No keeps the edit unsaved, Yes saves it and the bank's side
    // stays reconciled.
    void changingAReconciledAmountAsksFirst()
    {
        runSql(connectionOf(m_state->book),
               QStringLiteral("INSERT INTO reconciliations (id, account_id, statement_date, closing_balance, "
                              "user_name, made_at) VALUES (1, 10, '2026-11-30', 0, 'ann', '2026-12-01T10:00:00')"));
        runSql(connectionOf(m_state->book),
               QStringLiteral("UPDATE transaction_master SET from_status = 'R', from_reconciliation = 1 "
                              "WHERE tran_id = 1"));
        const auto stored = [this] {
            QSqlQuery q = runSql(connectionOf(m_state->book),
                                 QStringLiteral("SELECT amount, from_status FROM transaction_master "
                                                "WHERE tran_id = 1"));
            return q.next() ? q.value(0).toString() + u' ' + q.value(1).toString() : QString();
        };
        frmTransaction *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        typeInto(w, 1, TranCol::Amount, QStringLiteral("101"));
        m_messages.answers << QMessageBox::No;
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Transactions|Transaction 1 was reconciled with the statement of "
                                "30/11/2026; change it anyway?"));
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(stored(), QStringLiteral("10000 R"));
        m_messages.answers << QMessageBox::Yes;
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(stored(), QStringLiteral("10100 R"));
    }

    void headerSortsByCalendarDateAndEnterGoesToTheNextDate()
    {
        frmTransaction *w = open();
        w->chkApply->setChecked(false);
        w->cmdFind->click();
        QCOMPARE(w->TranRows.rowCount(), 3);
        emit w->tdbgTran->horizontalHeader()->sectionClicked(TranCol::Date);
        QCOMPARE(w->SortOrder, SortDirection::Descending);
        QCOMPARE(w->TranRows.intAt(0, TranCol::Id), 1); // the newest first
        QCOMPARE(w->TranRows.intAt(2, TranCol::Id), 3);
        w->tdbgTran->setFocus();
        w->tdbgTran->setCurrentIndex(cell(w, 0, TranCol::Amount));
        QTest::keyClick(w->tdbgTran, Qt::Key_Return);
        QCOMPARE(w->tdbgTran->currentIndex(), cell(w, 1, TranCol::Date));
        w->cboToAcc->setFocus();
        QTest::keyClick(w->cboToAcc, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->cboFromAcc->hasFocus());
    }

    void aMonthTypedAsABookkeeperTypesIt()
    {
        runSql(connectionOf(m_state->book), QStringLiteral("DELETE FROM transaction_master"));
        runSql(connectionOf(m_state->book),
               QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                              "particulars, version_date) VALUES (12, 'Takings', 1, 0, '', NULL)"));
        const bc::test::QtWarnings warnings;
        frmTransaction *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        // Tab out of the last cell goes on to the next row's date.
        typeCells({"01/11/2026", "Rent", "Bank", "1500", "November rent"});
        typeCells({"03112026", "Bank", "Takings", "2400.50"});
        type("Week 1 takings");
        press(Qt::Key_Return);
        QCOMPARE(w->tdbgTran->currentIndex(), cell(w, 2, TranCol::Date));
        typeCells({"10/11/2026", "Rent", "Takings", "1234567.89"});
        type("Sale of the car");
        press(Qt::Key_Escape); // that edit is abandoned
        typeCells({"Sale of the van"});
        // Back to the first account of the row, typed over: "ba" is Bank.
        for (int i = 0; i < 4; ++i)
            press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(w->tdbgTran->currentIndex(), cell(w, 2, TranCol::To));
        typeCells({"ba"});
        // A row begun by mistake: the first Escape drops the cell, the second the row.
        press(Qt::Key_Down);
        typeCells({"Rent"});
        QCOMPARE(w->TranRows.rowCount(), 4);
        type("5");
        press(Qt::Key_Escape);
        press(Qt::Key_Escape);
        QCOMPARE(w->TranRows.rowCount(), 3);
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));

        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral(
                                 "SELECT tran_date, to_flag || to_acc, from_flag || from_acc, amount, particulars "
                                 "FROM transaction_master ORDER BY tran_date"));
        QStringList rows;
        while (q.next())
            rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                q.value(3).toString(), q.value(4).toString()}
                        .join(u'|');
        QCOMPARE(rows,
                 (QStringList{"2026-11-01|A11|A10|150000|November rent", "2026-11-03|A10|A12|240050|Week 1 takings",
                              "2026-11-10|A10|A12|123456789|Sale of the van"}));
        QCOMPARE(warnings.mentioning(QStringLiteral("commitData")), QStringList());
        QCOMPARE(warnings.mentioning(QStringLiteral("does not belong")), QStringList());
    }

    // A Find that lists nothing says which dates it searched and how to look
    // further; typing Particulars to their limit says why the keys stop.
    void theStatusLineExplainsAnEmptyListAndTheParticularsLimit()
    {
        runSql(connectionOf(m_state->book), QStringLiteral("DELETE FROM transaction_master WHERE tran_id IN (1, 2)"));
        frmTransaction *w = open();
        QCOMPARE(w->TranRows.rowCount(), 0);
        QCOMPARE(w->lblStatus->text(),
                 QStringLiteral(
                     "No transactions from 30/11/2026 to 7/12/2026. For more, set an earlier From Date or untick "
                     "Apply Date on Search, then Find."));
        w->chkApply->setFocus();
        press(Qt::Key_Space);
        press(Qt::Key_F, Qt::AltModifier);
        QCOMPARE(w->TranRows.rowCount(), 1);
        QCOMPARE(w->lblStatus->text(), QString());

        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        w->tdbgTran->setFocus();
        w->tdbgTran->setCurrentIndex(cell(w, 1, TranCol::Date));
        typeCells({"01/12/2026", "Rent", "Bank", "15"});
        type(QStringLiteral("Thirty-one characters of detail"));
        QCOMPARE(w->lblStatus->text(), QString());
        type(QStringLiteral("!?"));
        QCOMPARE(bc::test::focusedText(), QStringLiteral("Thirty-one characters of detail!"));
        QCOMPARE(w->lblStatus->text(),
                 QStringLiteral("Particulars: 32 of 32 characters, the most a transaction holds"));
    }

    void openingAndLeavingEveryCellChangesNothing()
    {
        // Values that came in through an import, longer than typing allows.
        const QString imported = QStringLiteral("Forty characters of imported particulars");
        runSql(connectionOf(m_state->book),
               QStringLiteral("UPDATE transaction_master SET amount = 12345678900, particulars = ?"), {imported});
        const QString before = bc::test::bookDigest(connectionOf(m_state->book));
        frmTransaction *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(w->tdbgTran->currentIndex(), cell(w, 0, TranCol::Date));
        // Every cell of the first row opened with F2 and left with Tab; the
        // editors show the stored values whole.
        QStringList shown;
        for (int c = 0; c < 5; ++c) {
            press(Qt::Key_F2);
            shown << bc::test::focusedText();
            if (c == 4)
                type("x"); // beyond the 32 characters that can be typed
            press(Qt::Key_Tab);
        }
        QCOMPARE(shown, (QStringList{"05/12/2026", "Bank", "Rent", "123456789.00", imported}));
        // The second row with F2 and Escape, then Enter from each cell.
        for (int c = 0; c < 5; ++c) {
            press(Qt::Key_F2);
            press(Qt::Key_Escape);
            press(Qt::Key_Tab);
        }
        for (int c = 0; c < 5; ++c) {
            press(Qt::Key_Up);
            for (int i = 0; i < c; ++i)
                press(Qt::Key_Tab);
            press(Qt::Key_F2);
            press(Qt::Key_Return);
        }
        for (int r = 0; r < w->TranRows.rowCount(); ++r)
            QCOMPARE(w->TranRows.editMarkAt(r, TranCol::Status), EditMark::Unchanged);
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(bc::test::bookDigest(connectionOf(m_state->book)), before);
    }

    void aDecimalCommaIsThePointAndTheGroupSeparatorIsRefused()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto restore = qScopeGuard([previous] { QLocale::setDefault(previous); });
        frmTransaction *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        typeCells({"", "", ""});
        type("1.2,50");
        QCOMPARE(bc::test::focusedText(), QStringLiteral("12.50"));
        press(Qt::Key_Tab);
        QCOMPARE(w->TranRows.moneyAt(0, TranCol::Amount).cents(), 1250);
        // The largest amount the book holds, negative: a thirteenth digit
        // and a third decimal that would pass it are refused.
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        type("9999999999999,999");
        press(Qt::Key_Home);
        type("-");
        QCOMPARE(bc::test::focusedText(), QStringLiteral("-999999999999.99"));
        press(Qt::Key_Tab);
        QCOMPARE(w->TranRows.moneyAt(0, TranCol::Amount).cents(), -Money::MaxCents);
    }

    void printOpensAViewerWithTheGridRows()
    {
        frmTransaction *w = open();
        w->cmdprint->click();
        frmReportViewer *viewer = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *v = qobject_cast<frmReportViewer *>(top))
                viewer = v;
        QVERIFY(viewer);
        QCOMPARE(viewer->reportType(), int(TransactionListReport));
        const ReportTable set = printedReport(viewer->reportData(), m_state->dateFormat()).table;
        QCOMPARE(set.rows.size(), 2);
        // S.No, Date, From A/C, To A/C, Amount, Particulars.
        QCOMPARE(set.rows[0][2], QStringLiteral("Rent"));
        QCOMPARE(set.rows[0][3], QStringLiteral("Bank"));
        w->close();
        QVERIFY(viewer->isVisible()); // the viewer outlives the screen
    }

    void nullAmountsAndFailuresAreReported()
    {
        runSql(connectionOf(m_state->book),
               QStringLiteral(
                   "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
                   "particulars, version_date) VALUES (9, ?, 10, 'A', 11, 'A', NULL, 'no amount', NULL)"),
               {m_today.toString(Qt::ISODate)});
        frmTransaction *w = open();
        QCOMPARE(w->TranRows.rowCount(), 3);
        QCOMPARE(w->lbltotal->text(), QStringLiteral("59.50"));
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Warning);
        runSql(connectionOf(m_state->book),
               QStringLiteral("ALTER TABLE transaction_master RENAME COLUMN particulars TO notes"));
        w->cmdFind->click();
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(m_messages.shown[1].title, QStringLiteral("Error"));
        QVERIFY(m_messages.shown[1].text.contains(QLatin1String("particulars")));
        QCOMPARE(w->TranRows.rowCount(), 0);
    }

    void aCancelledDeletionIsNotAppliedByALaterSave()
    {
        frmTransaction *w = open();
        QVERIFY(bc::test::activate(w));
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(0);
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w->TranRows.rowCount(), 1);
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(w->TranRows.rowCount(), 2);
        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(countTable("transaction_master"), 3);
        QCOMPARE(w->TranRows.rowCount(), 2);
    }

    void theStatusLineCountsSavedRowsAndThoseOutsideTheDates()
    {
        frmTransaction *w = open();
        QVERIFY(bc::test::activate(w));
        auto *status = w->findChild<QLabel *>(QStringLiteral("lblStatus"));
        QVERIFY(status);
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(0); // the refund, two days ago: moved to November
        typeInCell(QStringLiteral("1/11/2026"));
        goToRow(1); // the rent: new particulars
        for (int c = TranCol::Date; c < TranCol::Particulars; ++c)
            press(Qt::Key_Right);
        typeInCell(QStringLiteral("rent paid"));
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(status->text(), QStringLiteral("2 rows saved; 1 saved row is outside the dates shown"));
        QCOMPARE(w->TranRows.rowCount(), 1);
        press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(status->text(), QString());
    }

    // A list longer than a page: Find shows the first rows with the total of
    // all; scrolling down reads further pages, Ctrl+End the rest up to the
    // last row; a row far down is edited and saved from the keyboard.
    void aLongListIsReadAsItScrollsAndARowFarDownIsSaved()
    {
        runSql(connectionOf(m_state->book),
               QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 3099) "
                              "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars) SELECT i, date('2027-01-01', (i / 10) || ' days'), "
                              "10, 'A', 11, 'A', i, 'row ' || i FROM n"));
        frmTransaction *w = open();
        QVERIFY(bc::test::activate(w));
        w->chkApply->setFocus();
        press(Qt::Key_Space);
        press(Qt::Key_Return);
        QVERIFY(!w->chkApply->isChecked());
        const int firstPage = w->TranRows.rowCount();
        QVERIFY(firstPage > 20 && firstPage < 3003);
        // Added up in the background: 3,000 rows of 1.00 to 30.99 after the
        // three of the book, 47,985.00 + 836.50.
        QTRY_COMPARE(w->lbltotal->text(), QStringLiteral("48821.50"));
        w->tdbgTran->setFocus();
        for (int i = 0; i < 100 && w->TranRows.rowCount() == firstPage; ++i)
            press(Qt::Key_PageDown);
        QVERIFY(w->TranRows.rowCount() > firstPage);
        QVERIFY(w->TranRows.rowCount() < 3003);

        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(w->TranRows.rowCount(), 3003);
        press(Qt::Key_Up); // from the add-new row to the last row
        QCOMPARE(w->TranRows.intAt(3002, TranCol::Id), 3099);
        QCOMPARE(w->tdbgTran->currentIndex(), cell(w, 3002, TranCol::Particulars));
        typeInCell(QStringLiteral("edited far down"));
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral("SELECT particulars, amount FROM transaction_master WHERE tran_id = 3099"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("edited far down"));
        QCOMPARE(q.value(1).toLongLong(), 3099);
        QCOMPARE(countTable("transaction_master"), 3003);
        QCOMPARE(w->lblStatus->text(), QStringLiteral("1 row saved"));
    }

    // Every row of the grid deleted with Ctrl+A, Delete: Save asks first and
    // No keeps every row in the book; Ctrl+Z puts the rows back in the grid
    // and a save then deletes nothing; Ctrl+Y deletes them again, and Yes
    // saves the deletion.
    void aSaveDeletingSeveralRowsAsksAndNoKeepsThemAll()
    {
        frmTransaction *w = open();
        QVERIFY(bc::test::activate(w));
        const QString before = bc::test::bookDigest(connectionOf(m_state->book));
        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Delete);
        QCOMPARE(w->TranRows.rowCount(), 0);
        m_messages.answers = {QMessageBox::No};
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Delete|Delete 2 transactions? Edit > Undo Save or Entries > "
                                "Deleted Items brings them back."));
        QCOMPARE(m_messages.shown.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(bc::test::bookDigest(connectionOf(m_state->book)), before);
        QVERIFY(w->lblStatus->text().startsWith(QStringLiteral("Nothing saved")));

        QVERIFY(w->tdbgTran->hasFocus());
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->TranRows.rowCount(), 2);
        QCOMPARE(w->TranRows.textAt(0, TranCol::Particulars), QStringLiteral("refund"));
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(bc::test::bookDigest(connectionOf(m_state->book)), before);

        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Delete);
        press(Qt::Key_Z, Qt::ControlModifier);
        press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(w->TranRows.rowCount(), 0);
        m_messages.answers = {QMessageBox::Yes};
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(countTable("transaction_master"), 1); // the row outside the dates shown
    }

    // Two programs on one book, each with its own connection.
    void stagedDeletionsArePrivateToTheirWindow()
    {
        AppState other;
        other.messages = &m_messages;
        other.settings.dateFormat = m_state->settings.dateFormat;
        other.today = m_state->today;
        QVERIFY(other.book.open(m_book->path()).ok());
        frmTransaction *second = open(other);
        frmTransaction *first = open();
        QVERIFY(bc::test::activate(first));
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(0);
        press(Qt::Key_Delete, Qt::ControlModifier);
        const qint64 staged = first->TranRows.intAt(0, TranCol::Id) == 1 ? 2 : 1;

        // The other program's Save leaves the row alone...
        QVERIFY(bc::test::activate(second));
        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(countTable("transaction_master"), 3);
        // ...and opening its Transactions window again un-stages nothing.
        delete second;
        open(other);
        QVERIFY(bc::test::activate(first));
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(countTable("transaction_master"), 2);
        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral("SELECT count(*) FROM transaction_master WHERE tran_id = ?"), {staged});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        bc::test::closeAllWindows();
    }
};

QTEST_MAIN(TestFrmTransaction)
#include "tst_frmtransaction.moc"
