#include "appstate.h"
#include "connection.h"
#include "datagrid.h"
#include "frmimportstatement.h"
#include "importrules.h"
#include "rowarray.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace bc;
using namespace bc::test;

class TestFrmImportStatement : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(10000));
        m_book->addAccount(11, QStringLiteral("Groceries"), 2, Money());
        m_book->addAccount(12, QStringLiteral("Uncategorised"), 3, Money());
        m_book->addAccount(13, QStringLiteral("Fuel"), 2, Money());
        m_book->addAccount(14, QStringLiteral("Salary"), 1, Money());
        saveImportRules(m_book->book(), {{ImportRule::Field::Payee, QStringLiteral("tesco"), 11}});
        start();
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        QVERIFY(openBook());
    }

    // A typist opens a statement, gives one line another counter-account in
    // the grid and applies: the book then holds exactly the statement's
    // lines, and the same statement read again is all duplicates.
    void typedImportAddsTheStatementsLines()
    {
        const QString path = file(QStringLiteral("march.csv"));
        QVERIFY(writeBytes(path,
                           "Date,Amount,Payee\n"
                           "2024-03-01,-25.30,TESCO 123\n"
                           "2024-03-02,-40.00,SHELL\n"
                           "2024-03-03,1000.00,ACME\n"));
        auto *w = new frmImportStatement(*m_state);
        w->show();
        QVERIFY(activate(w));
        w->txtFile->setFocus();
        type(path);
        press(Qt::Key_Tab);
        QCOMPARE(w->grdLines->rows().rowCount(), 3);
        QCOMPARE(w->lblBalance->text(), QStringLiteral("Balance after import: 1,034.70"));

        for (int i = 0; i < 10 && QApplication::focusWidget() != w->grdLines; ++i)
            press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->grdLines);
        goToRow(1);
        for (int i = 0; i < ImportCol::Counter; ++i)
            press(Qt::Key_Right);
        typeInCell(QStringLiteral("Fuel"));
        press(Qt::Key_A, Qt::AltModifier);

        QCOMPARE(m_messages.last(), QStringLiteral("Import Statement|3 rows added, 0 matched, 0 skipped."));
        QCOMPARE(transactionLines(connectionOf(m_state->book)),
                 (QStringList{QStringLiteral("2024-03-01 10>11 2530 TESCO 123"),
                              QStringLiteral("2024-03-02 10>13 4000 SHELL"),
                              QStringLiteral("2024-03-03 12>10 100000 ACME")}));
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(), QStringLiteral("Import Statement|0 rows added, 0 matched, 3 skipped."));
        QCOMPARE(transactionLines(connectionOf(m_state->book)).size(), 3);
    }

    // A CSV file whose dates read both day-first and month-first is refused
    // with its reason, until the typist chooses the order in Dates.
    void csvDatesThatReadBothWaysWaitForTheTypistsOrder()
    {
        const QString path = file(QStringLiteral("april.csv"));
        QVERIFY(writeBytes(path, "Date,Amount,Payee\n01/02/2024,-25.30,TESCO 123\n03/04/2024,1000.00,ACME\n"));
        auto *w = new frmImportStatement(*m_state);
        w->show();
        QVERIFY(activate(w));
        w->txtFile->setFocus();
        type(path);
        press(Qt::Key_Tab);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|line 2: dates such as 01/02/2024 can be read "
                                "day-first or month-first; choose the order"));
        QCOMPARE(w->grdLines->rows().rowCount(), 0);

        for (int i = 0; i < 10 && QApplication::focusWidget() != w->cboDateOrder; ++i)
            press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->cboDateOrder);
        type(QStringLiteral("D"));
        QCOMPARE(w->grdLines->rows().rowCount(), 2);
        QCOMPARE(w->grdLines->rows().dateAt(0, ImportCol::Date), QDate(2024, 2, 1));
        QCOMPARE(w->grdLines->rows().dateAt(1, ImportCol::Date), QDate(2024, 4, 3));
    }
};

QTEST_MAIN(TestFrmImportStatement)
#include "tst_frmimportstatement.moc"
