#include "appstate.h"
#include "dateentry.h"
#include "frmaccountledger.h"
#include "frmfinancialstatements.h"
#include "frmmain.h"
#include "testbook.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
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
        auto *main = new frmMain(*m_state);
        main->show();
        QVERIFY(activate(main));
        main->mnu_Reports_FinStatements->trigger();
        auto *w = qobject_cast<frmFinancialStatements *>(main->child(QStringLiteral("frmFinancialStatements")));
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
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestFrmFinancialStatements)
#include "tst_frmfinancialstatements.moc"
