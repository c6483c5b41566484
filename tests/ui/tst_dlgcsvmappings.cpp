#include "appstate.h"
#include "csvmappings.h"
#include "datagrid.h"
#include "dlgcsvmappings.h"
#include "rowarray.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSpinBox>
#include <QTest>

using namespace bc;
using namespace bc::test;

class TestDlgCsvMappings : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        newBook();
        start();
        QVERIFY(openBook());
    }

    // A typist makes a mapping from the guess at a sample file, changes it
    // and deletes it, watching the sample's lines as each version reads them.
    void newEditAndDeleteByKeys()
    {
        const QString sample = file(QStringLiteral("bank.csv"));
        QVERIFY(writeBytes(sample,
                           "Date;Amount;Payee;Memo\n03.11.2026;-12,50;CORNER SHOP;bread\n"
                           "04.11.2026;ten;ACME;pay\n05.11.2026;1.000,00;ACME;salary\n"));
        QPointer<dlgCsvMappings> d = new dlgCsvMappings(*m_state, nullptr, sample);
        d->setAttribute(Qt::WA_DeleteOnClose);
        checkModel(d->grdPreview);
        d->show();
        QVERIFY(activate(d));
        QCOMPARE(QApplication::focusWidget(), d->txtName);
        const RowArray &rows = d->grdPreview->rows();
        QCOMPARE(rows.rowCount(), 3);
        QCOMPARE(rows.moneyAt(0, 2), Money::fromCents(-1250));
        QCOMPARE(rows.textAt(1, 5), QStringLiteral("the amount \"ten\" is not an amount"));
        QCOMPARE(rows.moneyAt(2, 2), Money::fromCents(100000));
        QCOMPARE(rows.textAt(2, 4), QStringLiteral("salary"));
        QCOMPARE(d->lblPreview->text(), QStringLiteral("The first 3 lines as mapped; 1 do not read."));

        type(QStringLiteral("Semicolon bank"));
        press(Qt::Key_S, Qt::AltModifier);
        std::optional<CsvMapping> saved = loadCsvMapping(m_state->book, QStringLiteral("Semicolon bank"));
        QVERIFY(saved);
        QCOMPARE(saved->delimiter, u';');
        QCOMPARE(saved->datePattern, QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(saved->decimalSeparator, u',');
        QCOMPARE(saved->memoColumn, 3);
        QCOMPARE(d->lstMappings->count(), 1);

        press(Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), d->spnMemo);
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("0"));
        QCOMPARE(d->spnMemo->value(), 0);
        QCOMPARE(rows.textAt(2, 4), QString());
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(loadCsvMapping(m_state->book, QStringLiteral("Semicolon bank"))->memoColumn, -1);

        // A mapping that reads no amount is not saved.
        press(Qt::Key_A, Qt::AltModifier);
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("0"));
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("CSV Mappings|This mapping cannot read a file: no column holds the amount."));
        QCOMPARE(loadCsvMapping(m_state->book, QStringLiteral("Semicolon bank"))->amountColumn, 1);

        m_messages.answers = {QMessageBox::No};
        press(Qt::Key_L, Qt::AltModifier);
        QCOMPARE(m_messages.last(), QStringLiteral("CSV Mappings|Delete the CSV mapping \"Semicolon bank\"?"));
        QCOMPARE(csvMappingNames(m_state->book).size(), 1);
        m_messages.answers = {QMessageBox::Yes};
        press(Qt::Key_L, Qt::AltModifier);
        QVERIFY(csvMappingNames(m_state->book).isEmpty());
        QCOMPARE(d->lstMappings->count(), 0);

        press(Qt::Key_Escape);
        QTRY_VERIFY(!d || !d->isVisible());
    }
};

QTEST_MAIN(TestDlgCsvMappings)
#include "tst_dlgcsvmappings.moc"
