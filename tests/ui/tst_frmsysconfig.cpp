#include "appstate.h"
#include "backuprotation.h"
#include "datagrid.h"
#include "dateentry.h"
#include "dates.h"
#include "frmaccountstatus.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmproperties.h"
#include "frmsysconfig.h"
#include "frmtransaction.h"
#include "recordingmessages.h"
#include "sql.h"
#include "startup.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace bc;
using bc::test::tabTo;
using bc::test::RecordingMessages;

class TestFrmSysConfig : public bc::test::WindowTest {
    Q_OBJECT

    std::unique_ptr<StartUp> m_startUp;
    const QDate m_today{2024, 6, 15};

    // Writes settings rows straight into the default book, before start-up.
    void setRows(const QList<QPair<QString, QString>> &rows)
    {
        Book book;
        QVERIFY(book.open(state().paths.defaultBookPath()).ok());
        for (const auto &[code, value] : rows)
            runSql(connectionOf(book), QStringLiteral("UPDATE system_settings SET sys_value = ? WHERE sys_code = ?"),
                   {value, code});
    }

    // Every settings row as "code=value@saved_on", in table order.
    QStringList rows()
    {
        QStringList out;
        QSqlQuery q = runSql(connectionOf(state().book),
                             QStringLiteral("SELECT sys_code, sys_value, saved_on FROM system_settings"));
        while (q.next())
            out << q.value(0).toString() + u'=' + q.value(1).toString() + u'@' + q.value(2).toString();
        return out;
    }

    QString row(const QString &code)
    {
        for (const QString &r : rows())
            if (r.startsWith(code + u'='))
                return r.mid(code.size() + 1).section(u'@', 0, 0);
        return QStringLiteral("<none>");
    }

    // Starts the program (logging in when asked) and opens the window from
    // its menu entry.
    frmSysConfig *openConfig()
    {
        m_startUp = std::make_unique<StartUp>(state());
        if (!m_startUp->run())
            return nullptr;
        if (frmLogin *login = m_startUp->loginWindow()) {
            login->txtUserName->setText(state().settings.userName);
            login->txtPassWord->setText(state().settings.password);
            login->cmdLogin->click();
        }
        frmMain *main = m_startUp->mainWindow();
        if (!main)
            return nullptr;
        main->mnuConfig->trigger();
        return qobject_cast<frmSysConfig *>(main->child(QStringLiteral("frmSysConfig")));
    }

    // Replaces the text of the box with the focus by typing, then tabs on.
    static void retype(const QString &text)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

private slots:
    void init()
    {
        start();
        state().today = [this] { return m_today; };
        state().defaultPrinter = [] { return PrinterSettings{}; };
        state().printerList = [] { return QList<PrinterSettings>{}; };
        QCOMPARE(firstStart(), QString());
    }

    void cleanup()
    {
        bc::test::closeAllWindows();
        m_startUp.reset();
        clearAway();
    }

    void opensWithTheSettingsAndSavesSixRows()
    {
        // Year dates as older books hold them: short dates in the book's order.
        setRows({{"USER", "Admin"},
                 {"PASS", "pw"},
                 {"FYST", "4/1/2024"},
                 {"FYEN", "03/31/2025"},
                 {"CURR", "EUR"},
                 {"DTFM", "mm/dd/yyyy"}});
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Configurations"));
        QCOMPARE(m_startUp->mainWindow()->mdiArea->activeSubWindow()->widget(), w);
        QCOMPARE(w->parentWidget()->pos(), QPoint(0, 0));
        QCOMPARE(w->txtUserName->text(), QStringLiteral("Admin"));
        QCOMPARE(w->txtPassword->text(), QStringLiteral("pw"));
        QCOMPARE(w->txtPassAgain->text(), QStringLiteral("pw"));
        QCOMPARE(w->txtCurr->text(), QStringLiteral("EUR"));
        // The old month-first spelling selects month first and shows it.
        QVERIFY(w->optMonthFirst->isChecked());
        QCOMPARE(w->dtpStartDate->date(), QDate(2024, 4, 1));
        QCOMPARE(w->dtpStartDate->lineEdit()->text(), QStringLiteral("4/1/2024"));
        QCOMPARE(w->dtpEndDate->lineEdit()->text(), QStringLiteral("3/31/2025"));

        // A date typed in the picker is what gets saved; Enter presses OK.
        w->dtpEndDate->lineEdit()->setFocus();
        w->dtpEndDate->lineEdit()->selectAll();
        QTest::keyClicks(w->dtpEndDate->lineEdit(), QStringLiteral("12/31/2025"));
        QPointer<frmSysConfig> window = w;
        QTest::keyClick(w->dtpEndDate->lineEdit(), Qt::Key_Return);
        QVERIFY(m_messages.shown.isEmpty());
        QTRY_VERIFY(!window);
        const QString stamp = QStringLiteral("@06/15/2024");
        QCOMPARE(rows(),
                 (QStringList{"USER=Admin" + stamp, "PASS=pw" + stamp, "FYST=2024-04-01" + stamp,
                              "FYEN=2025-12-31" + stamp, "CURR=EUR" + stamp, "DTFM=M/d/yyyy" + stamp}));
        // The program-wide values follow at once.
        QCOMPARE(state().settings.dateFormat, QStringLiteral("M/d/yyyy"));
        QCOMPARE(state().settings.finYearEnd, QDate(2025, 12, 31));
    }

    void aBookWithoutAYearStartKeepsNoneUnlessADateIsTyped()
    {
        setRows({{"FYST", ""}, {"FYEN", "not a date"}, {"DTFM", "d/M/yyyy"}});
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        // The current calendar year is offered, but saving leaves no year start.
        QCOMPARE(w->dtpStartDate->lineEdit()->text(), QStringLiteral("1/1/2024"));
        QCOMPARE(w->dtpEndDate->lineEdit()->text(), QStringLiteral("31/12/2024"));
        w->txtCurr->setFocus();
        QTest::keyClicks(w->txtCurr, QStringLiteral("GBP"));
        QPointer<frmSysConfig> window = w;
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QTRY_VERIFY(!window);
        const QString stamp = QStringLiteral("@06/15/2024");
        QCOMPARE(rows(),
                 (QStringList{"USER=" + stamp, "PASS=" + stamp, "FYST=" + stamp, "FYEN=" + stamp, "CURR=GBP" + stamp,
                              "DTFM=d/M/yyyy" + stamp}));
        QVERIFY(!state().settings.finYearStart.isValid());

        // A typed start is saved; the end, untouched, stays unset.
        w = openConfig();
        QVERIFY(w);
        w->dtpStartDate->lineEdit()->setFocus();
        w->dtpStartDate->lineEdit()->selectAll();
        QTest::keyClicks(w->dtpStartDate->lineEdit(), QStringLiteral("1/4/2024"));
        window = w;
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QTRY_VERIFY(!window);
        QCOMPARE(rows(),
                 (QStringList{"USER=" + stamp, "PASS=" + stamp, "FYST=2024-04-01" + stamp, "FYEN=" + stamp,
                              "CURR=GBP" + stamp, "DTFM=d/M/yyyy" + stamp}));
    }

    // The closed period shows as loaded and a save keeps it; Alt+L
    // unticks it, and the next save opens the book.
    void theClosedPeriodIsKeptOrOpenedBySave()
    {
        setRows({{"USER", ""}, {"DTFM", "d/M/yyyy"}});
        {
            Book book;
            QVERIFY(book.open(state().paths.defaultBookPath()).ok());
            runSql(connectionOf(book),
                   QStringLiteral("INSERT INTO system_settings (sys_code, sys_value) "
                                  "VALUES ('CLSD', '2024-03-31')"));
        }
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        QVERIFY(w->chkClosed->isChecked());
        QCOMPARE(w->dtpClosedThrough->date(), QDate(2024, 3, 31));
        w->txtCurr->setText(QStringLiteral("GBP"));
        w->cmdSave->click();
        QCOMPARE(row(QStringLiteral("CURR")), QStringLiteral("GBP"));
        QCOMPARE(row(QStringLiteral("CLSD")), QStringLiteral("2024-03-31"));

        bc::test::closeAllWindows();
        w = openConfig();
        QVERIFY(w);
        QVERIFY(bc::test::activate(w->window()));
        w->txtCurr->setFocus();
        bc::test::press(Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(!w->chkClosed->isChecked());
        QVERIFY(!w->dtpClosedThrough->isEnabled());
        w->cmdSave->click();
        QCOMPARE(row(QStringLiteral("CLSD")), QStringLiteral("<none>"));
    }

    void emptyLoginStartsWithoutTheLoginWindow()
    {
        setRows({{"USER", "Admin"}, {"PASS", "pw"}});
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        for (QLineEdit *box : {w->txtUserName, w->txtPassword, w->txtPassAgain})
            box->clear();
        w->cmdSave->click();
        QCOMPARE(row(QStringLiteral("USER")), QString());
        QCOMPARE(row(QStringLiteral("PASS")), QString());

        bc::test::closeAllWindows();
        m_startUp = std::make_unique<StartUp>(state());
        QVERIFY(m_startUp->run());
        QVERIFY(!m_startUp->loginWindow());
        QVERIFY(m_startUp->mainWindow() && m_startUp->mainWindow()->isVisible());
    }

    void blanksAreTrimmedButTheConfirmationIsExact()
    {
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        const QStringList before = rows();
        w->txtUserName->setText(QStringLiteral("  bob "));
        w->txtPassword->setText(QStringLiteral(" pw"));
        w->txtPassAgain->setText(QStringLiteral("pw"));
        w->txtCurr->setText(QStringLiteral(" INR  "));
        w->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.last(), QStringLiteral("Error|Password mismatch"));
        QCOMPARE(m_messages.shown[0].buttons, QMessageBox::Ok);
        QCOMPARE(rows(), before);
        QVERIFY(w->isVisible());

        // Case matters as well.
        w->txtPassAgain->setText(QStringLiteral(" PW"));
        w->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(rows(), before);

        w->txtPassAgain->setText(QStringLiteral(" pw"));
        w->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(row(QStringLiteral("USER")), QStringLiteral("bob"));
        QCOMPARE(row(QStringLiteral("PASS")), QStringLiteral("pw"));
        QCOMPARE(row(QStringLiteral("CURR")), QStringLiteral("INR"));
        QCOMPARE(state().settings.userName, QStringLiteral("bob"));
    }

    void apostrophesRoundTrip()
    {
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        w->txtUserName->setText(QStringLiteral("O'Brien"));
        w->txtPassword->setText(QStringLiteral("a'b\"c;--"));
        w->txtPassAgain->setText(QStringLiteral("a'b\"c;--"));
        w->txtCurr->setText(QStringLiteral("£'s"));
        w->cmdSave->click();
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(rows().size(), 6);
        QCOMPARE(state().settings.userName, QStringLiteral("O'Brien"));
        QCOMPARE(state().settings.password, QStringLiteral("a'b\"c;--"));
        QCOMPARE(state().settings.currency, QStringLiteral("£'s"));

        m_startUp->mainWindow()->mnuConfig->trigger();
        auto *again = qobject_cast<frmSysConfig *>(m_startUp->mainWindow()->child(QStringLiteral("frmSysConfig")));
        QVERIFY(again);
        QCOMPARE(again->txtUserName->text(), QStringLiteral("O'Brien"));
        QCOMPARE(again->txtCurr->text(), QStringLiteral("£'s"));
    }

    void aFailedSaveKeepsTheOldRows()
    {
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        // The currency row is the fifth insert: the rows before it must go too.
        runSql(connectionOf(state().book),
               QStringLiteral("CREATE TRIGGER no_currency BEFORE INSERT ON system_settings "
                              "WHEN NEW.sys_code = 'CURR' BEGIN SELECT RAISE(ABORT, 'currency refused'); END"));
        const QStringList before = rows();
        w->txtUserName->setText(QStringLiteral("carol"));
        w->optMonthFirst->click();
        w->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Action failed"));
        QVERIFY2(m_messages.shown[0].text.startsWith(QLatin1String("Errorcurrency refused")),
                 qPrintable(m_messages.shown[0].text));
        QCOMPARE(rows(), before);
        QCOMPARE(state().settings.userName, QString());
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtUserName->text(), QStringLiteral("carol"));
        QVERIFY(w->optMonthFirst->isChecked());
    }

    void aBackupsFolderTypedAndSavedReceivesTheCopyWhenTheProgramIsLeft()
    {
        frmSysConfig *config = openConfig();
        QVERIFY(config);
        QPointer<frmSysConfig> window = config;
        QCOMPARE(config->txtBackups->text(), QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("backups"))));
        const QString folder = m_dir->filePath(QStringLiteral("elsewhere/copies"));
        QApplication::setActiveWindow(m_startUp->mainWindow());
        QVERIFY(tabTo(config->txtBackups));
        retype(folder);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!window);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(state().backupsFolder(), folder);

        // Leaving the program copies the closed book there.
        state().now = [] { return QDateTime(QDate(2026, 3, 2), QTime(17, 45, 9)); };
        m_startUp->mainWindow()->mnuExit->trigger();
        QTRY_VERIFY(!m_startUp->mainWindow());
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{bookCopyPrefix(state().paths.defaultBookPath()) + QStringLiteral("-20260302-174509.fd")});
    }

    void openWindowsReadTypedDatesInTheNewFormatAtOnce()
    {
        frmSysConfig *config = openConfig();
        QVERIFY(config);
        frmMain *main = m_startUp->mainWindow();
        main->mnuOtherTran->trigger();
        main->mnu_Reports_AccStatus->trigger();
        auto *tran = qobject_cast<frmTransaction *>(main->child(QStringLiteral("frmTransaction")));
        auto *summary = qobject_cast<frmAccountStatus *>(main->child(QStringLiteral("frmAccountStatus")));
        QVERIFY(tran && summary);
        QApplication::setActiveWindow(main);

        // Month first, chosen and saved by keys while the other two stay open.
        QPointer<frmSysConfig> window = config;
        main->mnuConfig->trigger();
        QVERIFY(tabTo(config->optDayFirst));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(config->optMonthFirst->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!window);
        QVERIFY(m_messages.shown.isEmpty());

        main->mnu_Reports_AccStatus->trigger();
        QVERIFY(tabTo(summary->dtpFromDate->lineEdit()));
        retype(QStringLiteral("11/1/2026"));
        QCOMPARE(summary->dtpFromDate->date(), QDate(2026, 11, 1));
        QCOMPARE(summary->dtpFromDate->lineEdit()->text(), QStringLiteral("11/1/2026"));

        main->mnuOtherTran->trigger();
        QVERIFY(tabTo(tran->dtpToDate->lineEdit()));
        retype(QStringLiteral("11/1/2026"));
        QCOMPARE(tran->dtpToDate->date(), QDate(2026, 11, 1));

        // A date typed into the grid's new row, and how the grid shows it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(QApplication::focusWidget(), tran->tdbgTran);
        QTest::keyClick(tran->tdbgTran, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(tran->tdbgTran, Qt::Key_Home);
        QTest::keyClick(tran->tdbgTran, Qt::Key_F2);
        retype(QStringLiteral("11/1/2026"));
        const int added = tran->TranRows.rowCount() - 1;
        QCOMPARE(tran->TranRows.dateAt(added, TranCol::Date), QDate(2026, 11, 1));
        QCOMPARE(tran->tdbgTran->model()->index(added, TranCol::Date).data().toString(), QStringLiteral("11/01/2026"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!tran->cmdSave->isEnabled());
    }

    void optionsChangeOnlyThePickers()
    {
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        QVERIFY(w->optDayFirst->isChecked());
        w->dtpStartDate->setDate(QDate(2024, 12, 31));
        const QStringList before = rows();
        w->optMonthFirst->click();
        QCOMPARE(w->dtpStartDate->lineEdit()->text(), QStringLiteral("12/31/2024"));
        QCOMPARE(w->dtpEndDate->displayFormat(), QStringLiteral("M/d/yyyy"));
        w->optDayFirst->click();
        QCOMPARE(w->dtpStartDate->lineEdit()->text(), QStringLiteral("31/12/2024"));
        QCOMPARE(w->dtpStartDate->date(), QDate(2024, 12, 31));
        QCOMPARE(rows(), before);
        QCOMPARE(state().settings.dateFormat, QStringLiteral("d/M/yyyy"));
    }

    void cancelEscapeAndTheSettingsDialog()
    {
        frmSysConfig *w = openConfig();
        QVERIFY(w);
        const QStringList before = rows();

        w->cmdProperties->click();
        frmProperties *dialog = w->findChild<frmProperties *>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->isModal());
        dialog->cmdClose->click();

        w->txtUserName->setText(QStringLiteral("dave"));
        QPointer<frmSysConfig> window = w;
        QTest::keyClick(w->txtUserName, Qt::Key_Escape);
        QTRY_VERIFY(!window);
        QCOMPARE(rows(), before);

        // Opened again, it shows the stored values, not the abandoned ones.
        m_startUp->mainWindow()->mnuConfig->trigger();
        w = qobject_cast<frmSysConfig *>(m_startUp->mainWindow()->child(QStringLiteral("frmSysConfig")));
        QVERIFY(w);
        QCOMPARE(w->txtUserName->text(), QString());
        window = w;
        w->cmdCancel->click();
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(TestFrmSysConfig)
#include "tst_frmsysconfig.moc"
