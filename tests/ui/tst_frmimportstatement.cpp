#include "appstate.h"
#include "connection.h"
#include "csvmappings.h"
#include "datagrid.h"
#include "frmimportstatement.h"
#include "importrules.h"
#include "rowarray.h"
#include "rowarraymodel.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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
        m_book->addAccount(15, QStringLiteral("Visa"), 5, Money());
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
        checkModel(w->grdLines);
        w->show();
        QVERIFY(activate(w));
        w->txtFile->setFocus();
        type(path);
        press(Qt::Key_Tab);
        QCOMPARE(w->grdLines->rows().rowCount(), 3);
        QCOMPARE(w->lblBalance->text(), QStringLiteral("Balance after import: 1,034.70"));

        QVERIFY(tabTo(w->grdLines));
        typeInCellAt(1, ImportCol::Counter, QStringLiteral("Fuel"));
        press(Qt::Key_A, Qt::AltModifier);

        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|3 rows added, 0 matched, 0 skipped, 0 already in the book."));
        QCOMPARE(transactionLines(connectionOf(m_state->book)),
                 (QStringList{QStringLiteral("2024-03-01 10>11 2530 TESCO 123"),
                              QStringLiteral("2024-03-02 10>13 4000 SHELL"),
                              QStringLiteral("2024-03-03 12>10 100000 ACME")}));
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|0 rows added, 0 matched, 0 skipped, 3 already in the book."));
        QCOMPARE(transactionLines(connectionOf(m_state->book)).size(), 3);
    }

    // A card's QIF statement, then a bank's CSV read through a saved
    // mapping, each applied twice by keys: the book holds each line once,
    // the skipped line not at all, and the grid shows what was written.
    void cardAndMappedStatementsAppliedTwiceShowWhatWasWritten()
    {
        CsvMapping semicolons;
        semicolons.name = QStringLiteral("Semicolon bank");
        semicolons.delimiter = u';';
        semicolons.skipRows = 0;
        semicolons.datePattern = QStringLiteral("dd.MM.yyyy");
        semicolons.decimalSeparator = u',';
        semicolons.thousandsSeparators = QStringLiteral(".");
        saveCsvMapping(m_state->book, semicolons);
        const QString card = file(QStringLiteral("visa.qif"));
        QVERIFY(writeBytes(card,
                           "!Type:CCard\nD11/03/2026\nT-45.00\nPTESCO\n^\nD11/05/2026\nT-30.00\nPSHELL\n^\n"
                           "D11/07/2026\nT-12.00\nPSTREAMING SERVICE MONTHLY SUBSCRIPTION FEE NOVEMBER\n^\n"
                           "D11/20/2026\nT500.00\nPPAYMENT THANK YOU\n^\n"));
        const QString bank = file(QStringLiteral("bank.csv"));
        QVERIFY(writeBytes(bank, "03.11.2026;-12,50;CORNER SHOP\n04.11.2026;1.000,00;ACME\n"));

        auto *w = new frmImportStatement(*m_state);
        w->resize(900, 560);
        checkModel(w->grdLines);
        w->show();
        QVERIFY(activate(w));
        w->txtFile->setFocus();
        press(Qt::Key_U, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w->cboAccount);
        type(QStringLiteral("Visa"));
        press(Qt::Key_F, Qt::AltModifier);
        type(card);
        press(Qt::Key_Tab);
        QCOMPARE(w->grdLines->rows().rowCount(), 4);

        // A payee cut short shows whole as the cell's tip.
        RowArrayModel *model = w->grdLines->rowModel();
        QCOMPARE(model->data(model->index(2, ImportCol::Payee), Qt::ToolTipRole).toString(),
                 QStringLiteral("STREAMING SERVICE MONTHLY SUBSCRIPTION FEE NOVEMBER"));
        // With room to spare the long payee shows whole, the empty memo
        // keeps a narrow column, and the counter-account's is no wider than
        // its names.
        const QFontMetrics metrics = w->grdLines->fontMetrics();
        QTRY_VERIFY(w->grdLines->columnWidth(ImportCol::Payee)
                    > metrics.horizontalAdvance(QStringLiteral("STREAMING SERVICE MONTHLY SUBSCRIPTION FEE NOVEMBER")));
        QVERIFY(w->grdLines->columnWidth(ImportCol::Counter)
                < metrics.horizontalAdvance(QStringLiteral("Uncategorised")) + 60);
        QVERIFY(w->grdLines->columnWidth(ImportCol::Memo) < w->grdLines->columnWidth(ImportCol::Payee) / 2);

        QVERIFY(tabTo(w->grdLines));
        typeInCellAt(1, ImportCol::Counter, QStringLiteral("Fuel"));
        typeInCellAt(2, ImportCol::Status, QStringLiteral("Skipped"));
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|3 rows added, 0 matched, 1 skipped, 0 already in the book."));
        const QStringList cardRows{QStringLiteral("2026-11-03 15>11 4500 TESCO"),
                                   QStringLiteral("2026-11-05 15>13 3000 SHELL"),
                                   QStringLiteral("2026-11-20 12>15 50000 PAYMENT THANK YOU")};
        QCOMPARE(transactionLines(connectionOf(m_state->book)), cardRows);
        const QStringList written{QStringLiteral("Imported Groceries"), QStringLiteral("Imported Fuel"),
                                  QStringLiteral("Skipped Uncategorised"), QStringLiteral("Imported Uncategorised")};
        QCOMPARE(shownLines(w), written);
        QVERIFY(w->lblTotals->text().endsWith(
            QStringLiteral("New: 0    Imported: 3    Duplicate: 0    Matched: 0    Skipped: 1")));
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|0 rows added, 0 matched, 1 skipped, 3 already in the book."));
        QCOMPARE(transactionLines(connectionOf(m_state->book)), cardRows);
        QCOMPARE(shownLines(w), written);

        // The bank's CSV: guessed wrongly from the file, read right through
        // the saved mapping. A line without a counter-account is refused,
        // saying what to do.
        // A pause, as a typist makes, so that the name is looked for afresh
        // rather than after "Visa"; the pause is made short for the test.
        QApplication::setKeyboardInputInterval(50);
        QTest::qWait(100);
        press(Qt::Key_U, Qt::AltModifier);
        type(QStringLiteral("Bank"));
        press(Qt::Key_F, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        type(bank);
        press(Qt::Key_Tab);
        press(Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w->cboMapping);
        type(QStringLiteral("Semi"));
        QCOMPARE(shownLines(w),
                 (QStringList{QStringLiteral("New Uncategorised"), QStringLiteral("New Uncategorised")}));
        press(Qt::Key_G, Qt::AltModifier);
        press(Qt::Key_Home);
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|Line 1 (2026-11-03, -12.50, CORNER SHOP): choose a "
                                "counter-account, or make an account named Uncategorised"));
        press(Qt::Key_G, Qt::AltModifier);
        type(QStringLiteral("Unc"));
        press(Qt::Key_A, Qt::AltModifier);
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Import Statement|0 rows added, 0 matched, 0 skipped, 2 already in the book."));
        QCOMPARE(shownLines(w),
                 (QStringList{QStringLiteral("Imported Uncategorised"), QStringLiteral("Imported Uncategorised")}));
        const QStringList bankRows{QStringLiteral("2026-11-03 10>12 1250 CORNER SHOP"),
                                   QStringLiteral("2026-11-04 12>10 100000 ACME")};
        QCOMPARE(transactionLines(connectionOf(m_state->book)), cardRows + bankRows);
    }

    // Escape and Alt+C close the window wherever the focus is.
    void escapeAndAltCClose()
    {
        for (const auto &[key, modifiers] : {std::pair{Qt::Key_Escape, Qt::KeyboardModifiers(Qt::NoModifier)},
                                             std::pair{Qt::Key_C, Qt::KeyboardModifiers(Qt::AltModifier)}}) {
            QPointer<frmImportStatement> w = new frmImportStatement(*m_state);
            w->setAttribute(Qt::WA_DeleteOnClose);
            checkModel(w->grdLines);
            w->show();
            QVERIFY(activate(w));
            w->cboAccount->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            QTRY_VERIFY(!w || !w->isVisible());
        }
    }

    // A CSV file whose dates read both day-first and month-first is refused
    // with its reason, until the typist chooses the order in Dates.
    void csvDatesThatReadBothWaysWaitForTheTypistsOrder()
    {
        const QString path = file(QStringLiteral("april.csv"));
        QVERIFY(writeBytes(path, "Date,Amount,Payee\n01/02/2024,-25.30,TESCO 123\n03/04/2024,1000.00,ACME\n"));
        auto *w = new frmImportStatement(*m_state);
        checkModel(w->grdLines);
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

private:
    // Each line's status and counter-account as the grid shows them.
    static QStringList shownLines(frmImportStatement *w)
    {
        QStringList lines;
        RowArrayModel *model = w->grdLines->rowModel();
        for (int r = 0; r < model->rowCount(); ++r)
            lines << model->data(model->index(r, ImportCol::Status), Qt::DisplayRole).toString() + u' '
                    + model->data(model->index(r, ImportCol::Counter), Qt::DisplayRole).toString();
        return lines;
    }
};

QTEST_MAIN(TestFrmImportStatement)
#include "tst_frmimportstatement.moc"
