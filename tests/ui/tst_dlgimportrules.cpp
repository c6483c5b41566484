#include "appstate.h"
#include "datagrid.h"
#include "dlgimportrules.h"
#include "importrules.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

using namespace bc;
using namespace bc::test;

class TestDlgImportRules : public WindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(11, QStringLiteral("Groceries"), 2, Money());
        m_book->addAccount(13, QStringLiteral("Fuel"), 2, Money());
        start();
        QVERIFY(openBook());
        saveImportRules(m_state->book, {{ImportRule::Field::Payee, QStringLiteral("tesco"), 11}});
    }

    // Rules typed into the grid are saved in their order by Alt+S; a rule
    // without text is refused, naming it, and the dialog stays open; Alt+C
    // leaves the book's rules as they were.
    void rulesTypedAndSavedByKeys()
    {
        QPointer<dlgImportRules> d = new dlgImportRules(*m_state, nullptr);
        d->setAttribute(Qt::WA_DeleteOnClose);
        checkModel(d->grdRules);
        d->show();
        QVERIFY(activate(d));
        d->grdRules->setFocus();
        goToRow(1);
        typeCells({QStringLiteral("Memo"), QStringLiteral("shell"), QStringLiteral("Fuel")});
        typeCells({QStringLiteral("Payee")});
        press(Qt::Key_Tab);
        typeCells({QStringLiteral("Groceries")});
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.last(), QStringLiteral("Import Rules|Rule 3 has no text to look for."));
        QVERIFY(d && d->isVisible());
        QCOMPARE(loadImportRules(m_state->book).size(), 1);

        goToRow(2);
        press(Qt::Key_Right);
        typeInCell(QStringLiteral("market"));
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!d || !d->isVisible());
        const QList<ImportRule> saved{{ImportRule::Field::Payee, QStringLiteral("tesco"), 11},
                                      {ImportRule::Field::Memo, QStringLiteral("shell"), 13},
                                      {ImportRule::Field::Payee, QStringLiteral("market"), 11}};
        QCOMPARE(loadImportRules(m_state->book), saved);

        d = new dlgImportRules(*m_state, nullptr);
        d->setAttribute(Qt::WA_DeleteOnClose);
        checkModel(d->grdRules);
        d->show();
        QVERIFY(activate(d));
        d->grdRules->setFocus();
        press(Qt::Key_Delete);
        press(Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!d || !d->isVisible());
        QCOMPARE(loadImportRules(m_state->book), saved);
    }
};

QTEST_MAIN(TestDlgImportRules)
#include "tst_dlgimportrules.moc"
