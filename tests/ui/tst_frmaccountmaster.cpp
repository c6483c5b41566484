#include "accounts.h"
#include "appstate.h"
#include "bookdigest.h"
#include "datagrid.h"
#include "frmaccountmaster.h"
#include "recordingmessages.h"
#include "rowarraymodel.h"
#include "sql.h"
#include "statementstore.h"
#include "testbook.h"
#include "typist.h"
#include "windowfixture.h"

#include <QGroupBox>
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

class TestFrmAccountMaster : public bc::test::WindowTest {
    Q_OBJECT

    frmAccountMaster *open()
    {
        auto *w = new frmAccountMaster(*m_state);
        showChecked(w->tdbgAccounts);
        return w;
    }
    QStringList names(frmAccountMaster *w)
    {
        QStringList out;
        for (int r = 0; r < w->AccountRows.rowCount(); ++r)
            out << w->AccountRows.textAt(r, AccountCol::Name);
        return out;
    }
    QModelIndex cell(frmAccountMaster *w, int row, int column) { return cellOf(w->tdbgAccounts, row, column); }
    void typeInto(frmAccountMaster *w, int row, int column, const QString &text)
    {
        typeIntoCell(w->tdbgAccounts, row, column, text);
    }

    void addUse(qint64 tranId, qint64 from, qint64 to)
    {
        runSql(connectionOf(m_state->book),
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES (?, '2026-12-01', ?, 'A', ?, "
                              "'A', 100, NULL, NULL)"),
               {tranId, from, to});
    }

private slots:
    void init()
    {
        newBook();
        m_book->addAccount(41, QStringLiteral("Rent"), 2, Money::fromCents(-150000), QStringLiteral("flat"));
        m_book->addAccount(42, QStringLiteral("Bank"), 4, Money::fromCents(250000));
        m_book->addAccount(43, QStringLiteral("Cash"), 4, Money::fromCents(1050));
        start();
        m_state->today = [] { return QDate(2026, 12, 7); };
        QVERIFY(openBook());
    }

    void loadsListsAndFindsAllInViewMode()
    {
        frmAccountMaster *w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Account Master"));
        QCOMPARE(names(w), (QStringList{"Bank", "CASH", "Cash", "CST", "PURCHASE", "Rent", "RST", "SALES", "SC"}));
        QCOMPARE(w->lbltotal->text(), QStringLiteral("1010.50"));
        QCOMPARE(w->cboAccount->count(), 9);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        for (QWidget *on : QList<QWidget *>{w->cmdEdit, w->cmdQuit, w->Frame1, w->cmdFind, w->cmdBlank})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        for (QWidget *off : QList<QWidget *>{w->cmdSave, w->cmdCancel})
            QVERIFY(!off->isEnabled());
        QVERIFY(!(cell(w, 0, AccountCol::Name).flags() & Qt::ItemIsEditable));
        // Hidden columns, captions, the type shown by name, the Standard format.
        for (int c : {AccountCol::Id, AccountCol::CurrentBalance, AccountCol::Status})
            QVERIFY(w->tdbgAccounts->isColumnHidden(c));
        QAbstractItemModel *m = w->tdbgAccounts->model();
        QCOMPARE(m->headerData(AccountCol::Opening, Qt::Horizontal).toString(), QStringLiteral("Opening Balance"));
        QCOMPARE(m->headerData(AccountCol::SerialNo, Qt::Horizontal).toString(), QStringLiteral("S.No."));
        QCOMPARE(m->data(cell(w, 0, AccountCol::Type)).toString(), QStringLiteral("Asset"));
        QCOMPARE(m->data(cell(w, 0, AccountCol::Opening)).toString(), QStringLiteral("2,500.00"));
        // Tips over the Opening Balance column only.
        QCOMPARE(m->headerData(AccountCol::Opening, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("-ve value stands for 'DEBIT'"));
        // The sides the ledger gives the same openings.
        const int rent = int(names(w).indexOf(QStringLiteral("Rent")));
        QCOMPARE(m->data(cell(w, rent, AccountCol::Opening), Qt::ToolTipRole).toString(), QStringLiteral("Debit"));
        QCOMPARE(m->data(cell(w, 0, AccountCol::Opening), Qt::ToolTipRole).toString(), QStringLiteral("Credit"));
        QCOMPARE(m->data(cell(w, 1, AccountCol::Opening), Qt::ToolTipRole).toString(),
                 QStringLiteral("Credit")); // zero
        QCOMPARE(m->data(cell(w, 0, AccountCol::Name), Qt::ToolTipRole).toString(), QString());
    }

    void findFiltersAndBlankClears()
    {
        frmAccountMaster *w = open();
        w->cboAccount->setEditText(QStringLiteral("ca"));
        QTest::keyClicks(w->txtOpen1, QStringLiteral("1a0.5.0-"));
        QCOMPARE(w->txtOpen1->text(), QStringLiteral("10.50-")); // "a" and the second "." are refused
        w->txtOpen1->setText(QStringLiteral("10.50"));
        w->cmdFind->click();
        QCOMPARE(names(w), (QStringList{"Cash"}));
        QCOMPARE(w->lbltotal->text(), QStringLiteral("10.50"));
        w->cboAccount->setEditText(QStringLiteral("it's 100%"));
        w->cmdFind->click();
        QVERIFY(names(w).isEmpty());
        QCOMPARE(w->lbltotal->text(), QStringLiteral("0.00"));
        QVERIFY(m_messages.shown.isEmpty());
        w->cmdBlank->click();
        QCOMPARE(w->AccountRows.rowCount(), 0);
        QCOMPARE(w->txtOpen1->text(), QString());
        QCOMPARE(w->cboAccount->currentText(), QString());
    }

    void enterInTheSearchBoxesFindsWhatWasTyped()
    {
        frmAccountMaster *w = open();
        // Keys go where the system delivers them: to an open pop-up list, else to the focus.
        const auto keyTarget = [] {
            return QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        };
        QTest::mouseClick(w->cboAccount->lineEdit(), Qt::LeftButton);
        QTest::keyClick(keyTarget(), Qt::Key_R);
        QVERIFY(QApplication::activePopupWidget()); // the matching names are offered
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(names(w), (QStringList{"Rent", "RST"})); // "r" stays "r", never completed to one name
        QTest::keyClick(keyTarget(), Qt::Key_E);
        QCOMPARE(w->cboAccount->currentText(), QStringLiteral("re"));
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(names(w), (QStringList{"Rent"}));

        // A name moved to in the list is picked by Enter; the next Enter finds it.
        QTest::keyClick(keyTarget(), Qt::Key_Backspace);
        QTest::keyClick(keyTarget(), Qt::Key_Down); // "Rent", then "RST"
        QTest::keyClick(keyTarget(), Qt::Key_Down);
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(w->cboAccount->currentText(), QStringLiteral("RST"));
        QCOMPARE(names(w), (QStringList{"Rent"}));
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(names(w), (QStringList{"RST"}));

        QTest::keyClick(keyTarget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keyTarget(), Qt::Key_Delete);
        QTest::keyClick(keyTarget(), Qt::Key_Tab);
        QTest::keyClicks(keyTarget(), QStringLiteral("10"));
        QTest::keyClick(keyTarget(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(names(w), (QStringList{"Bank", "Cash"}));
        QCOMPARE(QApplication::focusWidget(), w->txtOpen1);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void headerClicksToggleTheOrderAndRenumber()
    {
        frmAccountMaster *w = open();
        QHeaderView *header = w->tdbgAccounts->horizontalHeader();
        emit header->sectionClicked(AccountCol::Opening);
        QCOMPARE(w->SortOrder, SortDirection::Descending);
        QCOMPARE(w->AccountRows.textAt(0, AccountCol::Name), QStringLiteral("Bank")); // largest first
        QCOMPARE(w->AccountRows.textAt(w->AccountRows.rowCount() - 1, AccountCol::Name), QStringLiteral("Rent"));
        for (int r = 0; r < w->AccountRows.rowCount(); ++r)
            QCOMPARE(w->AccountRows.intAt(r, AccountCol::SerialNo), r + 1);
        emit header->sectionClicked(AccountCol::Opening);
        QCOMPARE(w->SortOrder, SortDirection::Ascending);
        QCOMPARE(w->AccountRows.textAt(0, AccountCol::Name), QStringLiteral("Rent"));
        emit header->sectionClicked(AccountCol::Name);
        QCOMPARE(w->AccountRows.textAt(0, AccountCol::Name), QStringLiteral("SC"));
    }

    void builtInNamesAreProtectedOthersEditable()
    {
        frmAccountMaster *w = open();
        w->cmdEdit->click();
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QVERIFY(!w->cmdQuit->isEnabled() && !w->Frame1->isEnabled() && w->cmdSave->isEnabled());
        const int cash = int(names(w).indexOf(QStringLiteral("CASH")));
        w->tdbgAccounts->setCurrentIndex(cell(w, cash, AccountCol::Name));
        QTest::keyClick(w->tdbgAccounts, Qt::Key_F2);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Illegal operation"));
        QCOMPARE(m_messages.shown[0].text,
                 QStringLiteral(
                     "Illegal operation:\r\n\r\nYou are attempting to update BASIC account.\r\nThis is not allowed"));
        QCOMPARE(w->AccountRows.textAt(cash, AccountCol::Name), QStringLiteral("CASH"));
        // Its other cells may change.
        typeInto(w, cash, AccountCol::Particulars, QStringLiteral("till"));
        QCOMPARE(w->AccountRows.textAt(cash, AccountCol::Particulars), QStringLiteral("till"));
        QCOMPARE(w->AccountRows.editMarkAt(cash, AccountCol::Status), EditMark::Changed);

        const int lower = int(names(w).indexOf(QStringLiteral("Cash")));
        typeInto(w, lower, AccountCol::Name, QStringLiteral("Pet'ty cash"));
        QCOMPARE(w->AccountRows.textAt(lower, AccountCol::Name), QStringLiteral("Petty cash")); // apostrophe dropped
        QCOMPARE(m_messages.shown.size(), 1);
    }

    void newRowsSaveWithIdsAndReload()
    {
        frmAccountMaster *w = open();
        w->cmdEdit->click();
        const int added = w->AccountRows.rowCount();
        typeInto(w, added, AccountCol::Name, QStringLiteral("Travel"));
        QCOMPARE(w->AccountRows.rowCount(), added + 1);
        QCOMPARE(w->AccountRows.editMarkAt(added, AccountCol::Status), EditMark::Changed);
        QCOMPARE(w->AccountRows.intAt(added, AccountCol::Id), 0);
        QVERIFY(w->AccountRows.isNull(added, AccountCol::SerialNo));
        typeInto(w, added, AccountCol::Opening, QStringLiteral("-12a.345"));
        QCOMPARE(w->AccountRows.moneyAt(added, AccountCol::Opening).cents(), -1235);
        w->cmdSave->click();
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        const int travel = int(names(w).indexOf(QStringLiteral("Travel")));
        QVERIFY(travel >= 0);
        QCOMPARE(w->AccountRows.intAt(travel, AccountCol::Id), 44);
        QCOMPARE(w->cboAccount->findText(QStringLiteral("Travel")) >= 0, true);
    }

    void refusedSaveStaysInEditWithTheRows()
    {
        frmAccountMaster *w = open();
        w->cmdEdit->click();
        const int added = w->AccountRows.rowCount();
        typeInto(w, added, AccountCol::Name, QStringLiteral("bank"));
        w->cmdSave->click();
        QCOMPARE(m_messages.last(),
                 QStringLiteral("Invalid Data|Invalid data\r\n\r\nYou are entering account with existing name."));
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(w->AccountRows.rowCount(), added + 1);
    }

    // The "Cash or bank" column: the built-in CASH ticked by default; while
    // editing, the arrow keys reach a cell and Space ticks or clears it (Tab
    // passes it by), and the save keeps the setting.
    void cashOrBankIsTickedBySpaceAndSavedWithTheAccount()
    {
        frmAccountMaster *w = open();
        QVERIFY(bc::test::activate(w));
        QAbstractItemModel *m = w->tdbgAccounts->model();
        QCOMPARE(m->headerData(AccountCol::CashOrBank, Qt::Horizontal).toString(), QStringLiteral("Cash or bank"));
        const int bank = int(names(w).indexOf(QStringLiteral("Bank")));
        const int cash = int(names(w).indexOf(QStringLiteral("CASH")));
        const int rent = int(names(w).indexOf(QStringLiteral("Rent")));
        const auto ticked = [&](int row) {
            return m->data(cell(w, row, AccountCol::CashOrBank), Qt::CheckStateRole).value<Qt::CheckState>();
        };
        QCOMPARE(ticked(cash), Qt::Checked);
        QCOMPARE(ticked(bank), Qt::Unchecked);

        // Viewing, Space changes nothing.
        w->tdbgAccounts->setFocus();
        goToRow(bank);
        press(Qt::Key_End);
        QCOMPARE(w->tdbgAccounts->currentIndex().column(), int(AccountCol::CashOrBank));
        press(Qt::Key_Space);
        QCOMPARE(ticked(bank), Qt::Unchecked);

        press(Qt::Key_E, Qt::AltModifier);
        goToRow(bank);
        press(Qt::Key_End);
        press(Qt::Key_Space);
        QCOMPARE(ticked(bank), Qt::Checked);
        press(Qt::Key_Tab);
        QCOMPARE(w->tdbgAccounts->currentIndex(), cell(w, bank + 1, AccountCol::Name));
        goToRow(rent);
        press(Qt::Key_End);
        press(Qt::Key_Space);
        press(Qt::Key_Space);
        press(Qt::Key_Space);
        QCOMPARE(ticked(rent), Qt::Checked);
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(w->lblStatus->text(), QStringLiteral("2 rows saved"));
        const QHash<qint64, bool> settings = readCashSettings(m_state->book);
        QCOMPARE(settings.value(42), true);
        QCOMPARE(settings.value(41), true);
        QCOMPARE(ticked(int(names(w).indexOf(QStringLiteral("Bank")))), Qt::Checked);
    }

    void deleteThenCancelKeepsTheAccount()
    {
        frmAccountMaster *w = open();
        QVERIFY(bc::test::activate(w));
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(int(names(w).indexOf(QStringLiteral("Rent"))));
        press(Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(!names(w).contains(QStringLiteral("Rent")));
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY(names(w).contains(QStringLiteral("Rent")));
        press(Qt::Key_E, Qt::AltModifier);
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY(names(w).contains(QStringLiteral("Rent")));
    }

    void aSaveOverAnotherUsersChangeIsRefusedAndReloadShowsIt()
    {
        frmAccountMaster *w = open();
        QVERIFY(bc::test::activate(w));
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(int(names(w).indexOf(QStringLiteral("Bank"))));
        while (w->tdbgAccounts->currentIndex().column() != AccountCol::Opening)
            press(Qt::Key_Tab);
        typeInCell(QStringLiteral("100.00"));

        // Meanwhile another program sets Bank's opening to 555.00.
        Book other;
        QVERIFY(other.open(m_book->path()).ok());
        other.setActorName(QStringLiteral("maria"));
        RowArray theirs = findAccounts(other, QStringLiteral("Bank"), QString(), QString()).rows;
        theirs.setMoney(0, AccountCol::Opening, Money::fromCents(55500));
        theirs.setEditMark(0, AccountCol::Status, EditMark::Changed);
        QVERIFY(saveAccounts(other, theirs, QDate(2026, 12, 7)).ok());
        const auto bankOpening = [this] {
            QSqlQuery q = runSql(connectionOf(m_state->book),
                                 QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 42"));
            return q.next() ? q.value(0).toLongLong() : -1;
        };

        // No keeps the edits to copy; nothing was written.
        m_messages.answers = {QMessageBox::No, QMessageBox::Yes};
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown.last().title, QStringLiteral("Changed by Another User"));
        QCOMPARE(m_messages.shown.last().buttons, QMessageBox::Yes | QMessageBox::No);
        // A server book names its login instead of the name the program gives.
        QVERIFY2(m_messages.shown.last().text.contains(QStringLiteral("Bank was changed by %1").arg(other.actorName())),
                 qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(w->AccountRows.moneyAt(int(names(w).indexOf(QStringLiteral("Bank"))), AccountCol::Opening).cents(),
                 10000);
        QCOMPARE(bankOpening(), 55500);

        // Yes leaves the edit and shows the other program's value.
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(w->AccountRows.moneyAt(int(names(w).indexOf(QStringLiteral("Bank"))), AccountCol::Opening).cents(),
                 55500);
        QCOMPARE(bankOpening(), 55500);
    }

    void threeAccountsTypedAsAPersonTypesThem()
    {
        const bc::test::QtWarnings warnings;
        const int doubleClick = QApplication::doubleClickInterval();
        QApplication::setDoubleClickInterval(40);
        const auto restore = qScopeGuard([doubleClick] { QApplication::setDoubleClickInterval(doubleClick); });
        frmAccountMaster *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        // The add-new row's Name: the last row, its first cell, then Tab.
        press(Qt::Key_End, Qt::ControlModifier);
        press(Qt::Key_Home);
        press(Qt::Key_Tab);
        const QModelIndex name = w->tdbgAccounts->currentIndex();
        QCOMPARE(name, cell(w, 9, AccountCol::Name));
        // A click on the current cell, then typing before and after the
        // click's own edit would have begun: no letter is lost.
        QTest::mouseClick(w->tdbgAccounts->viewport(), Qt::LeftButton, {}, w->tdbgAccounts->visualRect(name).center());
        type("W");
        QTest::qWait(80);
        type("ages");
        press(Qt::Key_Tab);
        // Types by the start of their names; the next row follows the last cell.
        typeCells({"exp", "1500.25", "monthly pay"});
        typeCells({"Petty cash", "as", "-12.5", "till"});
        typeCells({"Loan"});
        press(Qt::Key_Down, Qt::AltModifier); // the list of types
        QVERIFY(QApplication::activePopupWidget());
        type("l");
        press(Qt::Key_Return);
        QVERIFY(!QApplication::activePopupWidget());
        press(Qt::Key_Tab);
        typeCells({"123456789.01"});
        type("from the bank");
        press(Qt::Key_Return);
        QCOMPARE(w->tdbgAccounts->currentIndex(), cell(w, 12, AccountCol::Name));
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));

        QSqlQuery q = runSql(connectionOf(m_state->book),
                             QStringLiteral(
                                 "SELECT account_name, account_type, open_amount, particulars FROM account_master "
                                 "WHERE account_id > 43 ORDER BY account_name"));
        QStringList rows;
        while (q.next())
            rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                q.value(3).toString()}
                        .join(u'|');
        QCOMPARE(rows,
                 (QStringList{"Loan|5|12345678901|from the bank", "Petty cash|4|-1250|till",
                              "Wages|2|150025|monthly pay"}));
        QCOMPARE(warnings.mentioning(QStringLiteral("does not belong")), QStringList());
    }

    void unlistedTypesAreRefusedAndUnchangedCellsChangeNothing()
    {
        const QString before = bc::test::bookDigest(connectionOf(m_state->book));
        frmAccountMaster *w = open();
        press(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(w->tdbgAccounts->currentIndex(), cell(w, 0, AccountCol::Name)); // Bank
        // Each cell of the row opened with F2 and left with Tab, with Escape,
        // and with Enter.
        for (int c = 0; c < 4; ++c) {
            press(Qt::Key_F2);
            press(Qt::Key_Tab);
        }
        press(Qt::Key_Up);
        for (int c = 0; c < 4; ++c) {
            press(Qt::Key_F2);
            press(Qt::Key_Escape);
            press(Qt::Key_Tab);
        }
        for (int c = 0; c < 4; ++c) {
            press(Qt::Key_Up);
            for (int i = 0; i < c; ++i)
                press(Qt::Key_Tab);
            press(Qt::Key_F2);
            press(Qt::Key_Return);
        }
        press(Qt::Key_Up);
        QCOMPARE(w->AccountRows.editMarkAt(0, AccountCol::Status), EditMark::Unchanged);
        // An unlisted type: the cell keeps its value and the user is told.
        press(Qt::Key_Home);
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(w->tdbgAccounts->currentIndex(), cell(w, 0, AccountCol::Type));
        type("Savings");
        press(Qt::Key_Tab);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Error"));
        QVERIFY(m_messages.shown[0].text.startsWith(QStringLiteral("\"Savings\" is not in the list")));
        QCOMPARE(w->AccountRows.intAt(0, AccountCol::Type), 4);
        QCOMPARE(w->AccountRows.editMarkAt(0, AccountCol::Status), EditMark::Unchanged);
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(bc::test::bookDigest(connectionOf(m_state->book)), before);
    }

    void enterMovesToTheNextRowsNameAndShiftTabLeavesTheCombo()
    {
        frmAccountMaster *w = open();
        w->tdbgAccounts->setFocus();
        w->tdbgAccounts->setCurrentIndex(cell(w, 2, AccountCol::Opening));
        QTest::keyClick(w->tdbgAccounts, Qt::Key_Return);
        QCOMPARE(w->tdbgAccounts->currentIndex(), cell(w, 3, AccountCol::Name));
        const int last = w->AccountRows.rowCount() - 1;
        w->tdbgAccounts->setCurrentIndex(cell(w, last, AccountCol::Type));
        QTest::keyClick(w->tdbgAccounts, Qt::Key_Return);
        QCOMPARE(w->tdbgAccounts->currentIndex().row(), last);

        w->cboAccount->setFocus();
        QTest::keyClick(w->cboAccount, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->tdbgAccounts->hasFocus());
    }

    void theStatusLineCountsSavedAndDeletedRowsAndThoseOutsideTheFilter()
    {
        frmAccountMaster *w = open();
        QVERIFY(bc::test::activate(w));
        auto *status = w->findChild<QLabel *>(QStringLiteral("lblStatus"));
        QVERIFY(status);
        w->txtOpen1->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
        press(Qt::Key_F, Qt::AltModifier);
        QCOMPARE(names(w), (QStringList{"Bank", "Cash"}));
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(1);
        press(Qt::Key_Delete, Qt::ControlModifier); // Cash
        goToRow(0);
        for (int c = AccountCol::Name; c < AccountCol::Particulars; ++c) // past the hidden Current Balance
            press(Qt::Key_Right);
        typeInCell(QStringLiteral("current account")); // Bank stays within the filter
        goToRow(1);
        press(Qt::Key_Right);
        typeInCell(QStringLiteral("Travel")); // a new account opening at 0, outside it
        press(Qt::Key_S, Qt::AltModifier);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        QCOMPARE(names(w), (QStringList{"Bank"}));
        QCOMPARE(status->text(), QStringLiteral("2 rows saved, 1 deleted; 1 saved row is outside the filter shown"));
        QCOMPARE(w->AccountRows.textAt(0, AccountCol::Particulars), QStringLiteral("current account"));
    }

    void deletingAnAccountInUseIsRefusedAndTheGridKept()
    {
        addUse(1, 42, 41);
        addUse(2, 41, 43);
        frmAccountMaster *w = open();
        QVERIFY(bc::test::activate(w));
        press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        goToRow(int(names(w).indexOf(QStringLiteral("Rent"))));
        press(Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(!names(w).contains(QStringLiteral("Rent")));
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.last(), QStringLiteral("Invalid Data|Rent is used by 2 transactions"));
        QCOMPARE(m_messages.shown.last().icon, MsgIcon::Critical);
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(w->AccountRows.rowCount(), 8);
        QCOMPARE(findAccounts(m_state->book, QStringLiteral("Rent"), {}, {}).rows.rowCount(), 1);
    }
};

QTEST_MAIN(TestFrmAccountMaster)
#include "tst_frmaccountmaster.moc"
