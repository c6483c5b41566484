#include "accounts.h"
#include "appstate.h"
#include "datagrid.h"
#include "frmdeleteditems.h"
#include "recordingmessages.h"
#include "rowarraymodel.h"
#include "testbook.h"
#include "transactions.h"
#include "typist.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace bc;

class TestFrmDeletedItems : public bc::test::WindowTest {
    Q_OBJECT

private slots:
    // A deleted account and the transaction that used it, restored by keys:
    // the transaction alone is refused, both together come back.
    void restoresByKeysAndATransactionOnlyWithItsAccount()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(10, QStringLiteral("Bank"), 4, Money());
        book.addAccount(11, QStringLiteral("Rent"), 2, Money());
        book.addTransaction(1, QDate(2026, 11, 2), 10, 11, Money::fromCents(90000), QStringLiteral("November"));
        QVERIFY(openBook());
        QVERIFY(saveTransactions(m_state->book, makeTranRows(), QDateTime::currentDateTime(), {1}).ok());
        QVERIFY(saveAccounts(m_state->book, makeAccountRows(), QDate(2026, 12, 7), {11}).ok());

        auto *w = new frmDeletedItems(*m_state);
        bc::test::checkModel(w->grdDeleted);
        w->show();
        QVERIFY(bc::test::activate(w));
        QAbstractItemModel *m = w->grdDeleted->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->index(0, 3).data().toString(), QStringLiteral("Rent"));
        QCOMPARE(m->index(1, 5).data().toString(), QStringLiteral("Bank"));
        QCOMPARE(m->index(1, 6).data().toString(), QStringLiteral("Rent"));

        bc::test::press(Qt::Key_Down);
        bc::test::press(Qt::Key_R, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.last().contains(QStringLiteral("restore that account together with it")));
        QCOMPARE(m->rowCount(), 2);

        bc::test::press(Qt::Key_Up, Qt::ShiftModifier);
        bc::test::press(Qt::Key_R, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m->rowCount(), 0);
        QCOMPARE(w->lblStatus->text(), QStringLiteral("2 item(s) were restored."));
        QCOMPARE(GetAccName(m_state->book, QStringLiteral("A11")), QStringLiteral("Rent"));
    }
};

QTEST_MAIN(TestFrmDeletedItems)
#include "tst_frmdeleteditems.moc"
