#include "appstate.h"
#include "connection.h"
#include "datagrid.h"
#include "dateentry.h"
#include "frmimportstatement.h"
#include "frmmain.h"
#include "frmreconcile.h"
#include "frmsysconfig.h"
#include "frmtransaction.h"
#include "historyundo.h"
#include "rowarray.h"
#include "sql.h"
#include "statementimport.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
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

// Twelve November lines of the bank, closing at 1,000.00 less the lines.
QByteArray novemberStatement(qint64 &closingCents)
{
    QByteArray lines;
    closingCents = 100000;
    for (int i = 0; i < 12; ++i) {
        const qint64 cents = 1000 + 111 * i;
        closingCents -= cents;
        lines += QStringLiteral("<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>202611%1</DTPOSTED>"
                                "<TRNAMT>-%2</TRNAMT><FITID>NOV-%3</FITID><NAME>Shop %3</NAME></STMTTRN>\n")
                     .arg(2 + 2 * i, 2, 10, QChar(u'0'))
                     .arg(Money::fromCents(cents).toPlain())
                     .arg(i + 1)
                     .toUtf8();
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" NEWFILEUID=\"NONE\"?>\n"
           "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><BANKACCTFROM><ACCTID>1234</ACCTID></BANKACCTFROM>\n"
           "<BANKTRANLIST><DTSTART>20261101</DTSTART><DTEND>20261130</DTEND>\n"
        + lines + "</BANKTRANLIST><LEDGERBAL><BALAMT>" + Money::fromCents(closingCents).toPlain().toUtf8()
        + "</BALAMT><DTASOF>20261130</DTASOF></LEDGERBAL></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
}

} // namespace

class TestFrmReconcile : public WindowTest {
    Q_OBJECT

    template <typename Window> Window *opened(frmMain *w, QAction *entry)
    {
        entry->trigger();
        return qobject_cast<Window *>(w->mdiArea->activeSubWindow()->widget());
    }

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
    // November closed as a bookkeeper closes it, by keys, through the main
    // window: the bank's statement imported, the bank reconciled with it at
    // the balance the statement gave, a reconciled amount left alone when
    // asked, the reconciliation undone and redone, then November locked
    // against a late entry.
    void novemberIsReconciledAndClosed()
    {
        frmMain *w = showMainWindow();
        QVERIFY(w);
        const QSqlDatabase db = connectionOf(m_state->book);

        // The statement comes in; its lines are cleared on the bank's side.
        qint64 closing = 0;
        const QString path = file(QStringLiteral("november.ofx"));
        QVERIFY(writeBytes(path, novemberStatement(closing)));
        auto *import = opened<frmImportStatement>(w, w->mnuImportStatement);
        QVERIFY(import);
        press(Qt::Key_F, Qt::AltModifier);
        type(path);
        press(Qt::Key_Tab);
        QCOMPARE(import->grdLines->rows().rowCount(), 12);
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|12 rows added, 0 matched, 0 skipped, 0 already in the book."));
        QCOMPARE(bankSides(db), QStringLiteral("cccccccccccc"));
        press(Qt::Key_Escape);

        // Reconcile offers the statement's date and closing balance; the
        // twelve cleared lines come ticked. One unticked leaves a
        // difference and Finish off; ticked again, Finish reconciles.
        auto *reconcile = opened<frmReconcile>(w, w->mnuReconcile);
        QVERIFY(reconcile);
        QCOMPARE(QApplication::focusWidget(), reconcile->cboAccount);
        QCOMPARE(reconcile->cboAccount->currentText(), QStringLiteral("Bank"));
        QCOMPARE(reconcile->dteStatement->date(), QDate(2026, 11, 30));
        QCOMPARE(reconcile->txtClosing->text(), Money::fromCents(closing).toPlain());
        QVERIFY(tabTo(reconcile->grdMovements));
        goToRow(11);
        press(Qt::Key_Space);
        QCOMPARE(reconcile->lblDifference->text(), QStringLiteral("Difference: -22.21"));
        QVERIFY(!reconcile->cmdFinish->isEnabled());
        press(Qt::Key_Space);
        QCOMPARE(reconcile->lblDifference->text(), QStringLiteral("Difference: 0.00"));
        press(Qt::Key_F, Qt::AltModifier);
        QVERIFY2(m_messages.last().startsWith(QStringLiteral(
                     "Reconcile|\"Bank\" was reconciled with the statement of 30/11/2026: 12 movements")),
                 qPrintable(m_messages.last()));
        QCOMPARE(bankSides(db), QStringLiteral("RRRRRRRRRRRR"));
        press(Qt::Key_Escape);

        // A reconciled amount changed in Transactions: asked, No, nothing
        // saved; the edit is cancelled.
        auto *tran = opened<frmTransaction>(w, w->mnuOtherTran);
        QVERIFY(tran);
        press(Qt::Key_A, Qt::AltModifier);
        QVERIFY(!tran->chkApply->isChecked());
        press(Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(tran->TranRows.rowCount(), 12);
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Editing);
        goToRow(0);
        for (int c = TranCol::Date; c < TranCol::Amount; ++c)
            press(Qt::Key_Right);
        typeInCell(QStringLiteral("99"));
        m_messages.answers << QMessageBox::No;
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.last().endsWith(
                     QStringLiteral(" was reconciled with the statement of 30/11/2026; change it anyway?")),
                 qPrintable(m_messages.last()));
        QCOMPARE(tran->mode(), GridEditSession::Mode::Editing);
        press(Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(bankSides(db), QStringLiteral("RRRRRRRRRRRR"));

        // Edit > Undo Save takes the reconciliation back to cleared sides;
        // Redo reconciles them again.
        QVERIFY2(w->mnuUndo->text().startsWith(QStringLiteral("&Undo: Reconciliation")),
                 qPrintable(w->mnuUndo->text()));
        press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(bankSides(db), QStringLiteral("cccccccccccc"));
        press(Qt::Key_Y, Qt::ControlModifier);
        QTRY_COMPARE(bankSides(db), QStringLiteral("RRRRRRRRRRRR"));

        // November closed in Configurations; a late November entry typed
        // in Transactions is refused with the book's message.
        auto *config = opened<frmSysConfig>(w, w->mnuConfig);
        QVERIFY(config);
        press(Qt::Key_L, Qt::AltModifier);
        QVERIFY(config->chkClosed->isChecked());
        QVERIFY(tabTo(config->dtpClosedThrough->lineEdit()));
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("30/11/2026"));
        press(Qt::Key_O, Qt::AltModifier);
        QSqlQuery closed = runSql(db,
                                  QStringLiteral("SELECT sys_value FROM system_settings WHERE sys_code = 'CLSD' "
                                                 "ORDER BY rowid DESC LIMIT 1"));
        QVERIFY(closed.next());
        QCOMPARE(closed.value(0).toString(), QStringLiteral("2026-11-30"));
        closed.finish();

        tran = opened<frmTransaction>(w, w->mnuOtherTran);
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Editing);
        goToRow(tran->TranRows.rowCount());
        typeCells({"28/11/2026", "Groceries", "Bank", "5"});
        const qsizetype shown = m_messages.shown.size();
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), shown + 1);
        QVERIFY2(m_messages.last().endsWith(
                     QStringLiteral("The book is closed through 30/11/2026: transactions on or before that date "
                                    "cannot be added, changed or deleted.")),
                 qPrintable(m_messages.last()));
        QCOMPARE(tran->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(bankSides(db), QStringLiteral("RRRRRRRRRRRR"));
    }
};

QTEST_MAIN(TestFrmReconcile)
#include "tst_frmreconcile.moc"
