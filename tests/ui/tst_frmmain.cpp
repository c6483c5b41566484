#include "accounts.h"
#include "appstate.h"
#include "bookchangewatch.h"
#include "bookdigest.h"
#include "datagrid.h"
#include "frmaccountmaster.h"
#include "frmmain.h"
#include "frmtransaction.h"
#include "messages.h"
#include "modaldriver.h"
#include "reconciliation.h"
#include "recordingmessages.h"
#include "sql.h"
#include "testbook.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QSqlQuery>
#include <QTest>
#include <algorithm>

using namespace bc;
using bc::test::RecordingMessages;

class TestFrmMain : public bc::test::WindowTest {
    Q_OBJECT

    // A frame on a book of Bank, Bakery and Rent with a transaction of
    // yesterday; today is 7/12/2026.
    frmMain *openOnThreeAccounts()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(10, QStringLiteral("Bank"), 4, Money());
        book.addAccount(11, QStringLiteral("Rent"), 2, Money());
        book.addAccount(12, QStringLiteral("Bakery"), 2, Money());
        const QDate today(2026, 12, 7);
        book.addTransaction(1, today.addDays(-1), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->today = [today] { return today; };
        [&] { QVERIFY(openBook()); }();
        frmMain *w = showMainWindow();
        [&] { QVERIFY(w); }();
        return w;
    }
    frmTransaction *showTransactions(frmMain *w)
    {
        return static_cast<frmTransaction *>(
            w->showChild(QStringLiteral("frmTransaction"), [this] { return new frmTransaction(*m_state); }));
    }
    frmAccountMaster *showAccounts(frmMain *w)
    {
        return static_cast<frmAccountMaster *>(
            w->showChild(QStringLiteral("frmAccountMaster"), [this] { return new frmAccountMaster(*m_state); }));
    }
    QString bookNow() { return bc::test::bookDigest(connectionOf(m_state->book)); }
    int changeSets()
    {
        QSqlQuery q = runSql(connectionOf(m_state->book), QStringLiteral("SELECT count(*) FROM change_sets"));
        return q.next() ? q.value(0).toInt() : -1;
    }

    frmMain *openMain()
    {
        start();
        newBook();
        [&] { QVERIFY(openBook()); }();
        auto *w = new frmMain(*m_state);
        w->show();
        return w;
    }

private slots:
    // A row typed and saved in the Transactions window, then Ctrl+Z: the
    // save is undone and the grid shows the rows it showed before.
    void ctrlZUndoesTheSaveAndTheGridShowsTheEarlierRows()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(10, QStringLiteral("Bank"), 4, Money());
        book.addAccount(11, QStringLiteral("Rent"), 2, Money());
        const QDate today(2026, 12, 7);
        book.addTransaction(1, today.addDays(-1), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        m_state->today = [today] { return today; };
        QVERIFY(openBook());
        auto *w = new frmMain(*m_state);
        w->show();
        QVERIFY(bc::test::activate(w));
        auto *tran = static_cast<frmTransaction *>(
            w->showChild(QStringLiteral("frmTransaction"), [this] { return new frmTransaction(*m_state); }));
        QCOMPARE(tran->TranRows.rowCount(), 1);

        bc::test::press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Editing);
        bc::test::goToRow(1); // the empty row after the last
        bc::test::typeCells({"07/12/2026", "Rent", "Bank", "25"});
        bc::test::press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(tran->TranRows.rowCount(), 2);
        QVERIFY(w->mnuUndo->isEnabled());
        QVERIFY(w->mnuUndo->text().startsWith(QStringLiteral("&Undo: Save of 1 transaction at ")));

        bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(tran->TranRows.rowCount(), 1);
        QCOMPARE(tran->TranRows.textAt(0, TranCol::Particulars), QStringLiteral("rent"));
        QVERIFY(m_messages.shown.isEmpty());
        QVERIFY(!w->mnuUndo->isEnabled());
        QVERIFY(w->mnuRedo->text().startsWith(QStringLiteral("&Redo: Save of 1 transaction at ")));
    }

    // Transaction 1 reconciled, then its amount changed by a save: Ctrl+Z
    // asks before the undo changes the reconciled amount back; No leaves
    // the book as it is, Yes undoes the save.
    void undoingASaveOfAReconciledTransactionAsksFirst()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(10, QStringLiteral("Bank"), 4, Money());
        book.addAccount(11, QStringLiteral("Rent"), 2, Money());
        book.addTransaction(1, QDate(2026, 11, 5), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
        m_state->settings.dateFormat = QStringLiteral("d/M/yyyy");
        QVERIFY(openBook());
        const ReconcileRequest request{10, QDate(2026, 11, 30), -10000, {{1, TransactionEnd::From}}};
        QVERIFY(reconcileAccount(m_state->book, request, QDateTime::currentDateTime(), QStringLiteral("test")).ok);
        RowArray rows = makeTranRows();
        const int r = rows.appendRow();
        rows.setInt(r, TranCol::Id, 1);
        rows.setInt(r, TranCol::Version, 2);
        rows.setDate(r, TranCol::Date, QDate(2026, 11, 5));
        rows.setText(r, TranCol::From, QStringLiteral("A10"));
        rows.setText(r, TranCol::To, QStringLiteral("A11"));
        rows.setMoney(r, TranCol::Amount, Money::fromCents(12000));
        rows.setEditMark(r, TranCol::Status, EditMark::Changed);
        QVERIFY(saveTransactions(m_state->book, rows, QDateTime::currentDateTime()).ok());
        auto *w = new frmMain(*m_state);
        w->show();
        QVERIFY(bc::test::activate(w));
        w->mdiArea->setFocus();
        const QString before = bookNow();

        m_messages.answers << QMessageBox::No;
        bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Undo Save|Transaction 1 was reconciled with the statement of "
                                "30/11/2026; change it anyway?"));
        QCOMPARE(bookNow(), before);
        m_messages.answers << QMessageBox::Yes;
        bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(bookNow() != before);
        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral("SELECT amount, from_status FROM transaction_master WHERE tran_id = 1"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), 10000);
        QCOMPARE(q.value(1).toString(), QStringLiteral("R"));
    }

    // Ctrl+Z in the middle of an edit takes back the grid's own changes, one
    // at a time, and never a save: the book is left as it was; Ctrl+Y and
    // Ctrl+Shift+Z put them back. Undo Save is off meanwhile and says why.
    // Out of the edit, Ctrl+Z undoes the save and the window says so.
    void ctrlZInTheMiddleOfAnEditNeverUndoesASave()
    {
        frmMain *w = openOnThreeAccounts();
        frmTransaction *tran = showTransactions(w);
        bc::test::press(Qt::Key_E, Qt::AltModifier);
        bc::test::goToRow(1);
        bc::test::typeCells({"07/12/2026", "Rent", "Bank", "25"});
        bc::test::press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(tran->TranRows.rowCount(), 2);
        const QString saved = bookNow();
        const int sets = changeSets();

        bc::test::press(Qt::Key_E, Qt::AltModifier);
        QVERIFY(!w->mnuUndo->isEnabled() && !w->mnuRedo->isEnabled());
        QCOMPARE(w->mnuUndo->statusTip(),
                 QStringLiteral("Off while Transactions is being edited: save or cancel its edits first."));
        bc::test::goToRow(0);
        for (int c = TranCol::Date; c < TranCol::Amount; ++c)
            bc::test::press(Qt::Key_Right);
        bc::test::typeInCell(QStringLiteral("99"));
        QCOMPARE(tran->TranRows.moneyAt(0, TranCol::Amount), Money::fromCents(9900));
        bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tran->TranRows.moneyAt(0, TranCol::Amount), Money::fromCents(10000));
        QCOMPARE(tran->TranRows.editMarkAt(0, TranCol::Status), EditMark::Unchanged);

        bc::test::goToRow(2);
        bc::test::typeCells({"07/12/2026", "Rent", "Bank"});
        QCOMPARE(tran->TranRows.rowCount(), 3);
        const QString typedFrom = tran->TranRows.textAt(2, TranCol::From);
        for (int i = 0; i < 5; ++i) // three changes, then nothing left
            bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(tran->TranRows.rowCount(), 2);
        QCOMPARE(bookNow(), saved);
        QCOMPARE(changeSets(), sets);
        bc::test::press(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(tran->TranRows.rowCount(), 3);
        bc::test::press(Qt::Key_Y, Qt::ControlModifier);
        bc::test::press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tran->TranRows.textAt(2, TranCol::From), typedFrom);

        bc::test::press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(bookNow(), saved);
        QVERIFY(w->mnuUndo->isEnabled());
        QCOMPARE(w->mnuUndo->statusTip(), QString());
        bc::test::press(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(tran->TranRows.rowCount(), 1);
        QVERIFY2(tran->lblStatus->text().startsWith(QStringLiteral("Undone: save of 1 transaction at ")),
                 qPrintable(tran->lblStatus->text()));
        QVERIFY(tran->lblStatus->text().endsWith(QStringLiteral(" — Edit > Redo Save brings it back")));
        bc::test::press(Qt::Key_Y, Qt::ControlModifier);
        QTRY_COMPARE(tran->TranRows.rowCount(), 2);
        QVERIFY2(tran->lblStatus->text().startsWith(QStringLiteral("Redone: save of 1 transaction at ")),
                 qPrintable(tran->lblStatus->text()));
    }

    // A search typed in the Account Master ("Ba") and in Transactions (From
    // A/C Bank) outlives another window's save and the window's own save.
    void reloadsKeepTheSearchAsTyped()
    {
        frmMain *w = openOnThreeAccounts();
        frmAccountMaster *accounts = showAccounts(w);
        accounts->cboAccount->setFocus();
        bc::test::type(QStringLiteral("Ba"));
        bc::test::press(Qt::Key_Return);
        QCOMPARE(accounts->AccountRows.rowCount(), 2);
        frmTransaction *tran = showTransactions(w);
        tran->cboFromAcc->setFocus();
        bc::test::type(QStringLiteral("Bank"));
        bc::test::press(Qt::Key_Return);
        QCOMPARE(tran->TranRows.rowCount(), 1);

        tran->tdbgTran->setFocus();
        bc::test::press(Qt::Key_E, Qt::AltModifier);
        bc::test::goToRow(1);
        bc::test::typeCells({"07/12/2026", "Bank", "Rent", "5"});
        bc::test::press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(tran->cboFromAcc->currentText(), QStringLiteral("Bank"));
        QCOMPARE(tran->TranRows.rowCount(), 1); // the new row is from Rent
        QCOMPARE(accounts->cboAccount->currentText(), QStringLiteral("Ba"));
        QCOMPARE(accounts->AccountRows.rowCount(), 2);

        showAccounts(w);
        accounts->tdbgAccounts->setFocus();
        bc::test::press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(accounts->mode(), GridEditSession::Mode::Editing);
        bc::test::goToRow(0);
        for (int c = AccountCol::Name; c < AccountCol::Particulars; ++c) // past the hidden Current Balance
            bc::test::press(Qt::Key_Right);
        bc::test::typeInCell(QStringLiteral("bread"));
        bc::test::press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(accounts->mode(), GridEditSession::Mode::Viewing);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(accounts->cboAccount->currentText(), QStringLiteral("Ba"));
        QCOMPARE(accounts->AccountRows.rowCount(), 2);
        QCOMPARE(accounts->lblStatus->text(), QStringLiteral("1 row saved"));
        QCOMPARE(tran->cboFromAcc->currentText(), QStringLiteral("Bank"));
        QCOMPARE(tran->TranRows.rowCount(), 1);
    }

    // Real message boxes: after OK the focus is back in Transactions, not
    // in the Account Master opened before it; after No to the exit question
    // the next keys still reach Transactions.
    void focusReturnsToTheWindowThatRaisedTheBox()
    {
        frmMain *w = openOnThreeAccounts();
        BoxMessages boxes;
        m_state->messages = &boxes;
        w->mnuOtherAccounts->trigger();
        frmTransaction *tran = showTransactions(w);
        bc::test::press(Qt::Key_E, Qt::AltModifier);
        bc::test::goToRow(1);
        bc::test::typeCells({"07/12/2026", "Rent"});
        bc::test::type("Rent");
        QString said;
        bc::test::whenModal<QMessageBox>(this, [&said](QMessageBox *box) {
            said = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        bc::test::press(Qt::Key_Tab);
        QTRY_COMPARE(said, QStringLiteral("To A/c same as From A/c"));
        QTRY_VERIFY(QApplication::focusWidget() && tran->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(w->mdiArea->activeSubWindow()->widget(), tran);

        bc::test::whenModal<QMessageBox>(this, [](QMessageBox *box) { box->button(QMessageBox::No)->click(); });
        w->mnuExit->trigger();
        QVERIFY(w->isVisible());
        QTRY_VERIFY(QApplication::focusWidget() && tran->isAncestorOf(QApplication::focusWidget()));
        bc::test::press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(tran->mode(), GridEditSession::Mode::Viewing);
        m_state->messages = &m_messages;
    }

    // Another program saves to the book while the Account Master is open:
    // idle, the grid shows the new opening at the next poll; in the middle of
    // an edit, the typed edit stays and the status line says why it differs.
    void anotherProgramsSavesReachTheAccountMaster()
    {
        start();
        bc::test::TestBook &book = newBook();
        book.addAccount(42, QStringLiteral("Bank"), 4, Money::fromCents(10000));
        book.addAccount(43, QStringLiteral("Rent"), 2, Money());
        const QDate today(2026, 12, 7);
        m_state->today = [today] { return today; };
        QVERIFY(openBook());
        auto *w = new frmMain(*m_state);
        w->show();
        QVERIFY(bc::test::activate(w));
        auto *accounts = static_cast<frmAccountMaster *>(
            w->showChild(QStringLiteral("frmAccountMaster"), [this] { return new frmAccountMaster(*m_state); }));
        const auto rowOf = [accounts](const QString &name) {
            int r = 0;
            while (r < accounts->AccountRows.rowCount() && accounts->AccountRows.textAt(r, AccountCol::Name) != name)
                ++r;
            return r;
        };
        const auto cellText = [accounts, rowOf](const QString &name, int column) {
            return accounts->tdbgAccounts->model()->index(rowOf(name), column).data().toString();
        };
        QCOMPARE(cellText(QStringLiteral("Bank"), AccountCol::Opening), QStringLiteral("100.00"));

        Book other;
        QVERIFY(other.open(book.path()).ok());
        const auto otherSavesOpening = [&other, today](const QString &name, qint64 cents) {
            AccountFindResult found = findAccounts(other, name, {}, {});
            QCOMPARE(found.rows.rowCount(), 1);
            found.rows.setMoney(0, AccountCol::Opening, Money::fromCents(cents));
            found.rows.setEditMark(0, AccountCol::Status, EditMark::Changed);
            QVERIFY(saveAccounts(other, found.rows, today).ok());
        };
        otherSavesOpening(QStringLiteral("Bank"), 55500);
        w->bookWatch().poll(); // the frame's timer may have been first
        QTRY_COMPARE(cellText(QStringLiteral("Bank"), AccountCol::Opening), QStringLiteral("555.00"));
        QCOMPARE(accounts->lblStatus->text(), QString());

        bc::test::press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(accounts->mode(), GridEditSession::Mode::Editing);
        bc::test::goToRow(rowOf(QStringLiteral("Rent")));
        for (int c = AccountCol::Name; c < AccountCol::Particulars; ++c) // past the hidden Current Balance
            bc::test::press(Qt::Key_Right);
        bc::test::typeInCell(QStringLiteral("office"));
        otherSavesOpening(QStringLiteral("Bank"), 77700);
        w->bookWatch().poll();
        QTRY_COMPARE(accounts->lblStatus->text(),
                     QStringLiteral("Changed by another user — Save will check your rows"));
        QCOMPARE(cellText(QStringLiteral("Rent"), AccountCol::Particulars), QStringLiteral("office"));
        QCOMPARE(cellText(QStringLiteral("Bank"), AccountCol::Opening), QStringLiteral("555.00"));
        QCOMPARE(accounts->mode(), GridEditSession::Mode::Editing);
        QVERIFY(m_messages.shown.isEmpty());

        // Cancel leaves the cycle: the notice goes and the book's rows show.
        bc::test::press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(accounts->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(accounts->lblStatus->text(), QString());
        QCOMPARE(cellText(QStringLiteral("Bank"), AccountCol::Opening), QStringLiteral("777.00"));
        QCOMPARE(cellText(QStringLiteral("Rent"), AccountCol::Particulars), QString());
    }

    void menusInOrderWithTheirCaptions()
    {
        frmMain *w = openMain();
        QCOMPARE(w->windowTitle(), QStringLiteral("Brindlecot"));
        QStringList top;
        for (QAction *a : w->menuBar()->actions())
            top << a->text();
        // Each with an Alt letter that no window's button uses.
        QCOMPARE(top, (QStringList{"E&ntries", "Ed&it", "Repor&ts", "&Window", "&Help", "E&xit"}));
        auto captions = [](QMenu *m) {
            QStringList out;
            for (QAction *a : m->actions())
                out << a->objectName() + u'=' + a->text();
            return out;
        };
        QCOMPARE(captions(w->mnuTran),
                 (QStringList{"mnuOtherTran=Transactions", "mnuOtherAccounts=Accounts Set Up",
                              "mnuConfig=Configurations", "mnuImportStatement=Import Statement…",
                              "mnuReconcile=&Reconcile…", "mnuDeletedItems=Deleted Items",
                              "mnuCsvMappings=CSV &Mappings…"}));
        QCOMPARE(captions(w->mnuEdit), (QStringList{"mnuUndo=&Undo Save", "mnuRedo=&Redo Save"}));
        QVERIFY(!w->mnuUndo->isEnabled() && !w->mnuRedo->isEnabled());
        QCOMPARE(captions(w->mnuReport),
                 (QStringList{"mnu_Reports_AccStatus=Account Summary", "mnu_report_account=Account Ledger",
                              "mnu_Reports_FinStatements=Financial Statements"}));
        QCOMPARE(captions(w->mnuHelp), (QStringList{"mnuAbout=About", "mnuContents=Contents"}));
        QVERIFY(w->findChild<QMenu *>(QStringLiteral("mnu_window")));
    }

    void childWindowsAreSingleInstances()
    {
        frmMain *w = openMain();
        int made = 0;
        auto make = [&] {
            ++made;
            auto *label = new QLabel(QStringLiteral("contents %1").arg(made));
            label->setWindowTitle(QStringLiteral("Screen"));
            return label;
        };
        auto *first = qobject_cast<QLabel *>(w->showChild(QStringLiteral("screen"), make));
        w->showChild(QStringLiteral("other"), [] { return new QLabel(QStringLiteral("other")); });
        auto *again = qobject_cast<QLabel *>(w->showChild(QStringLiteral("screen"), make));
        QCOMPARE(made, 1);
        QCOMPARE(again, first);
        QCOMPARE(again->text(), QStringLiteral("contents 1"));
        QCOMPARE(w->mdiArea->activeSubWindow()->widget(), first);
        QCOMPARE(w->mdiArea->subWindowList().size(), 2);

        // Closed by the user, it opens fresh next time.
        first->parentWidget()->close();
        QTRY_VERIFY(!w->child(QStringLiteral("screen")));
        auto *fresh = qobject_cast<QLabel *>(w->showChild(QStringLiteral("screen"), make));
        QCOMPARE(made, 2);
        QCOMPARE(fresh->text(), QStringLiteral("contents 2"));

        // The Window menu lists the open children.
        emit w->mnu_window->aboutToShow();
        QCOMPARE(w->mnu_window->actions().size(), 2);
    }

    void aboutBoxClosesOnEnterAndOnEscape()
    {
        frmMain *w = openMain();
        QApplication::setActiveWindow(w);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            w->mnuAbout->trigger();
            QPointer<QWidget> about = w->child(QStringLiteral("frmAboutUS"));
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), QStringLiteral("About Brindlecot"));
            QTRY_VERIFY(QApplication::focusWidget() && about->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), key);
            QTRY_VERIFY(!about);
        }
    }

    // Every window opened from the menus opens in its first box, and each
    // button and check box has an Alt letter that neither another control of
    // the window nor the menu bar uses.
    void everyWindowOpensInItsFirstBoxWithAltLettersOfItsOwn()
    {
        frmMain *w = openMain();
        QVERIFY(bc::test::activate(w));
        const auto letterOf = [](const QString &caption) {
            const QString once = QString(caption).replace(QStringLiteral("&&"), QString());
            const qsizetype at = once.indexOf(u'&');
            return at >= 0 && at + 1 < once.size() ? once[at + 1].toUpper() : QChar();
        };
        QSet<QChar> menuLetters;
        for (QAction *a : w->menuBar()->actions()) {
            QVERIFY2(!letterOf(a->text()).isNull(), qPrintable(a->text()));
            menuLetters << letterOf(a->text());
        }
        QCOMPARE(menuLetters.size(), w->menuBar()->actions().size());

        const QList<QPair<QAction *, QString>> opened{{w->mnu_report_account, "cboAccount"},
                                                      {w->mnu_Reports_AccStatus, "cboAccType"},
                                                      {w->mnu_Reports_FinStatements, "cboKind"},
                                                      {w->mnuOtherTran, "chkApply"},
                                                      {w->mnuConfig, "txtUserName"},
                                                      {w->mnuDeletedItems, QString()},
                                                      {w->mnuImportStatement, QString()}};
        for (const auto &[action, first] : opened) {
            action->trigger();
            QWidget *window = w->mdiArea->activeSubWindow()->widget();
            if (!first.isEmpty()) {
                QWidget *box = window->findChild<QWidget *>(first);
                QVERIFY(box);
                QWidget *focused = QApplication::focusWidget();
                QVERIFY2(focused == box || box->isAncestorOf(focused) || focused == box->focusProxy(),
                         qPrintable(window->objectName() + u':'
                                    + (focused ? focused->objectName() : QStringLiteral("none"))));
            }
            QMap<QChar, QString> letters;
            const auto take = [&](const QString &caption) {
                const QChar letter = letterOf(caption);
                QVERIFY2(!letter.isNull(), qPrintable(window->objectName() + u':' + caption));
                QVERIFY2(!menuLetters.contains(letter), qPrintable(window->objectName() + u':' + caption));
                QVERIFY2(!letters.contains(letter),
                         qPrintable(window->objectName() + u':' + caption + u'/' + letters.value(letter)));
                letters.insert(letter, caption);
            };
            for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
                const bool worded = std::any_of(button->text().begin(), button->text().end(),
                                                [](QChar c) { return c.isLetter(); });
                if (worded && button->isVisibleTo(window))
                    take(button->text());
            }
            for (QLabel *label : window->findChildren<QLabel *>())
                if (label->buddy() && !letterOf(label->text()).isNull())
                    take(label->text());
        }

        // The ledger's Account box takes what is typed at once.
        w->mnu_report_account->trigger();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Sal"));
        auto *ledger = w->mdiArea->activeSubWindow()->widget();
        QCOMPARE(ledger->findChild<QComboBox *>(QStringLiteral("cboAccount"))->currentText(), QStringLiteral("SALES"));
    }

    void exitClosesChildrenAndTheBook()
    {
        frmMain *w = openMain();
        QPointer<QWidget> child = w->showChild(QStringLiteral("a"), [] { return new QLabel; });
        QPointer<frmMain> main = w;
        w->mnuExit->trigger();
        QTRY_VERIFY(!main);
        QTRY_VERIFY(!child);
        QVERIFY(!m_state->book.isOpen());
    }

    void exitAnsweredNoClosesNothing()
    {
        frmMain *w = openMain();
        QVERIFY(bc::test::activate(w));
        w->mnu_report_account->trigger();
        w->mnuOtherAccounts->trigger();
        w->mnuOtherTran->trigger();
        QCOMPARE(w->mdiArea->activeSubWindow()->widget()->objectName(), QStringLiteral("frmTransaction"));
        bc::test::press(Qt::Key_E, Qt::AltModifier);
        QList<QPointer<QWidget>> children;
        for (QMdiSubWindow *sub : w->mdiArea->subWindowList())
            children << sub->widget();
        QCOMPARE(children.size(), 3);

        m_messages.answers = {QMessageBox::No};
        w->mnuExit->trigger();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Transactions"));
        QVERIFY(w->isVisible());
        for (const QPointer<QWidget> &child : children)
            QVERIFY(child && child->isVisible());
        QVERIFY(m_state->book.isOpen());

        // Agreed, everything closes without a second question.
        QPointer<frmMain> main = w;
        m_messages.answers = {QMessageBox::Yes};
        w->mnuExit->trigger();
        QTRY_VERIFY(!main);
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY(!m_state->book.isOpen());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
