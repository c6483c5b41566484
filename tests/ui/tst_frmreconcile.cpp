#include "appstate.h"
#include "connection.h"
#include "datagrid.h"
#include "dateentry.h"
#include "frmreconcile.h"
#include "historyundo.h"
#include "rowarray.h"
#include "sql.h"
#include "statementimport.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace bc;
using namespace bc::test;

namespace {

constexpr qint64 Bank = 10, Uncategorised = 12;

// The statuses of the bank's sides, in id order, as one text ("ccR...").
QString bankSides(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT CASE WHEN from_acc = 10 THEN from_status ELSE to_status END "
                                        "FROM transaction_master ORDER BY tran_id"));
    QString sides;
    while (q.next())
        sides += q.value(0).toString().isEmpty() ? QStringLiteral("-") : q.value(0).toString();
    return sides;
}

} // namespace

class TestFrmReconcile : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(Bank, QStringLiteral("Bank"), 4, Money::fromCents(100000));
        m_book->addAccount(11, QStringLiteral("Groceries"), 2, Money());
        m_book->addAccount(Uncategorised, QStringLiteral("Uncategorised"), 3, Money());
        m_book->setSetting(QStringLiteral("DTFM"), QStringLiteral("d/M/yyyy"));
        start();
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->today = [] { return QDate(2026, 12, 2); };
        QVERIFY(openBook());
    }

    // A statement of 12 lines is imported (its lines come in cleared, so
    // ticked); the typist gives the statement's date and closing balance,
    // unticks the first movement with Space and sees the difference, moves
    // on with Enter and back, ticks it again, and finishes: every side is
    // reconciled, and undoing that save puts them back to cleared.
    void aStatementIsTickedAndFinishedByKeys()
    {
        Statement statement;
        qint64 closing = 100000;
        for (int i = 0; i < 12; ++i) {
            StatementLine line;
            line.date = QDate(2026, 11, 2 + 2 * i);
            line.amount = Money::fromCents(-(1000 + 111 * i));
            line.payee = QStringLiteral("Shop %1").arg(i + 1);
            closing += line.amount.cents();
            statement.lines.push_back(line);
        }
        QVERIFY(applyImport(m_state->book, previewImport(m_state->book, statement, Bank, Uncategorised), m_state->now())
                    .ok);

        auto *w = new frmReconcile(*m_state);
        checkModel(w->grdMovements);
        w->show();
        QVERIFY(activate(w));
        w->cboAccount->setFocus();
        type(QStringLiteral("Bank"));
        press(Qt::Key_D, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w->dteStatement->lineEdit());
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/11/2026"));
        press(Qt::Key_B, Qt::AltModifier);
        QCOMPARE(w->grdMovements->rows().rowCount(), 12);
        type(Money::fromCents(closing).toPlain());
        QCOMPARE(w->lblDifference->text(), QStringLiteral("Difference: 0.00"));
        QVERIFY(w->cmdFinish->isEnabled());

        QVERIFY(tabTo(w->grdMovements));
        goToRow(0);
        press(Qt::Key_Space);
        QCOMPARE(w->lblDifference->text(), QStringLiteral("Difference: -10.00"));
        QVERIFY(!w->cmdFinish->isEnabled());
        press(Qt::Key_Return);
        press(Qt::Key_Space);
        QCOMPARE(w->lblDifference->text(), QStringLiteral("Difference: -21.11"));
        press(Qt::Key_Space);
        press(Qt::Key_Up);
        press(Qt::Key_Space);
        QCOMPARE(w->lblDifference->text(), QStringLiteral("Difference: 0.00"));

        press(Qt::Key_F, Qt::AltModifier);
        QVERIFY2(m_messages.last().startsWith(QStringLiteral(
                     "Reconcile|\"Bank\" was reconciled with the statement of 30/11/2026: 12 movements")),
                 qPrintable(m_messages.last()));
        QCOMPARE(bankSides(connectionOf(m_state->book)), QStringLiteral("RRRRRRRRRRRR"));
        QCOMPARE(w->grdMovements->rows().rowCount(), 0);

        // The statement kept, opened read-only: its movements all ticked,
        // Space changes nothing, nothing to finish.
        press(Qt::Key_M, Qt::AltModifier);
        press(Qt::Key_Down);
        QCOMPARE(w->cboStatement->currentText(), QStringLiteral("30/11/2026, closing 806.74"));
        QCOMPARE(w->grdMovements->rows().rowCount(), 12);
        QCOMPARE(w->lblCleared->text(), QStringLiteral("Reconciled balance: 806.74"));
        QVERIFY(tabTo(w->grdMovements));
        goToRow(3);
        press(Qt::Key_Space);
        QCOMPARE(w->grdMovements->rows().textAt(3, ReconcileCol::Tick), QStringLiteral("\u2713"));
        QVERIFY(!w->cmdFinish->isEnabled() && !w->cmdPostpone->isEnabled() && !w->cmdAutoTick->isEnabled());
        QVERIFY(w->txtClosing->isReadOnly());

        const UndoResult undone = undoChange(m_state->book, undoTarget(m_state->book)->id,
                                             QStringLiteral("Edit > Undo"));
        QVERIFY2(undone.ok, qPrintable(undone.message));
        QCOMPARE(bankSides(connectionOf(m_state->book)), QStringLiteral("cccccccccccc"));

        const QPointer<frmReconcile> window = w;
        press(Qt::Key_Escape);
        QVERIFY(window.isNull() || !window->isVisible());
    }

    // The bank charged 0.01 the book does not know of: with an account to
    // adjust into, Finish shows the adjustment first and saves it
    // reconciled with the rest.
    void aDifferenceIsBookedByAnAdjustmentShownFirst()
    {
        Statement statement;
        StatementLine line;
        line.date = QDate(2026, 11, 3);
        line.amount = Money::fromCents(-2500);
        line.payee = QStringLiteral("Shop");
        statement.lines.push_back(line);
        QVERIFY(applyImport(m_state->book, previewImport(m_state->book, statement, Bank, Uncategorised), m_state->now())
                    .ok);
        auto *w = new frmReconcile(*m_state);
        w->show();
        QVERIFY(activate(w));
        w->cboAccount->setFocus();
        type(QStringLiteral("Bank"));
        press(Qt::Key_D, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/11/2026"));
        press(Qt::Key_B, Qt::AltModifier);
        type(QStringLiteral("974.99"));
        QCOMPARE(w->lblDifference->text(), QStringLiteral("Difference: -0.01"));
        QVERIFY(!w->cmdFinish->isEnabled());
        press(Qt::Key_J, Qt::AltModifier);
        type(QStringLiteral("U"));
        QVERIFY(w->cmdFinish->isEnabled());
        m_messages.answers << QMessageBox::Yes;
        press(Qt::Key_F, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(m_messages.shown.first().text,
                 QStringLiteral(
                     "The difference of -0.01 is saved with the reconciliation as a transaction of "
                     "30/11/2026 from Bank to Uncategorised, 0.01, \"Reconciliation adjustment\". Save it?"));
        QCOMPARE(bankSides(connectionOf(m_state->book)), QStringLiteral("RR"));
    }
};

QTEST_MAIN(TestFrmReconcile)
#include "tst_frmreconcile.moc"
