#include "appstate.h"
#include "book.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmproperties.h"
#include "modaldriver.h"
#include "recordingmessages.h"
#include "sql.h"
#include "startup.h"
#include "testbook.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace bc;
using bc::test::RecordingMessages;

class TestStartUp : public bc::test::WindowTest {
    Q_OBJECT

    void writeSettings(const QByteArray &text)
    {
        QFile f(state().paths.settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    void setLogin(const QString &user, const QString &pass)
    {
        Book book;
        QVERIFY(book.open(state().paths.defaultBookPath()).ok());
        runSql(connectionOf(book), QStringLiteral("UPDATE system_settings SET sys_value = ? WHERE sys_code = 'USER'"),
               {user});
        runSql(connectionOf(book), QStringLiteral("UPDATE system_settings SET sys_value = ? WHERE sys_code = 'PASS'"),
               {pass});
    }

private slots:
    void init()
    {
        start();
        state().defaultPrinter = [] {
            return PrinterSettings{QStringLiteral("usb"), QStringLiteral("Laser"), QStringLiteral("Office")};
        };
        state().printerList = [] {
            return QList<PrinterSettings>{{QStringLiteral("usb"), QStringLiteral("Laser"), QStringLiteral("Office")}};
        };
        QCOMPARE(firstStart(), QString());
    }

    void theProgramIsNamedWithoutASuffixForTitles()
    {
        const QString original = QApplication::applicationName();
        nameApplication();
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Brindlecot"));
        QCOMPARE(QApplication::applicationVersion(), QStringLiteral("1.1"));
        // A display name of its own would be appended to every title by the
        // window system ("Error — Brindlecot"). There is none: the display
        // name is only the application's name, and follows it.
        QApplication::setApplicationName(QStringLiteral("Probe"));
        QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("Probe"));
        QApplication::setApplicationName(original);
    }

    void noLoginOpensTheMainWindow()
    {
        StartUp startUp(state());
        QVERIFY(startUp.run());
        QVERIFY(startUp.mainWindow());
        QVERIFY(startUp.mainWindow()->isVisible());
        QVERIFY(!startUp.loginWindow());
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(state().printer.device, QStringLiteral("Office"));
        QVERIFY(state().book.isOpen());
    }

    void loginComparesExactly()
    {
        setLogin(QStringLiteral("Admin"), QStringLiteral("Secret"));
        StartUp startUp(state());
        QVERIFY(startUp.run());
        frmLogin *login = startUp.loginWindow();
        QVERIFY(login && login->isVisible());
        QVERIFY(!startUp.mainWindow());
        QCOMPARE(login->windowTitle(), QStringLiteral("Brindlecot Login"));
        QCOMPARE(login->txtUserName->maxLength(), 10);
        QCOMPARE(login->txtPassWord->echoMode(), QLineEdit::Password);
        login->txtPassWord->setText(QStringLiteral("abc"));
        QCOMPARE(login->txtPassWord->displayText(), QStringLiteral("***"));
        login->txtPassWord->clear();
        QVERIFY(login->cmdLogin->isDefault());

        for (const auto &[user, pass] :
             QList<QPair<QString, QString>>{{QStringLiteral("admin"), QStringLiteral("Secret")},
                                            {QStringLiteral("Admin "), QStringLiteral("Secret")},
                                            {QStringLiteral("Admin"), QStringLiteral("secret")}}) {
            m_messages.shown.clear();
            login->txtUserName->setText(user);
            login->txtPassWord->setText(pass);
            QTest::mouseClick(login->cmdLogin, Qt::LeftButton);
            QCOMPARE(m_messages.shown.size(), 1);
            QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
            QCOMPARE(m_messages.last(), QStringLiteral("Login failed|Invalid user name & password."));
            QCOMPARE(login->txtUserName->text(), QString());
            QCOMPARE(login->txtPassWord->text(), QString());
            QVERIFY(!startUp.mainWindow());
        }
        login->txtUserName->setText(QStringLiteral("Admin"));
        login->txtPassWord->setText(QStringLiteral("Secret"));
        QTest::mouseClick(login->cmdLogin, Qt::LeftButton);
        QVERIFY(startUp.mainWindow() && startUp.mainWindow()->isVisible());
        QTRY_VERIFY(!startUp.loginWindow());
    }

    void missingBookAsksAgainUntilCancel()
    {
        writeSettings("DBPath#" + m_dir->path().toUtf8() + "/missing.fd\r\n");
        m_messages.answers = {QMessageBox::Ok, QMessageBox::Cancel};
        // Each OK opens the settings dialog; close it unchanged.
        int dialogs = 0;
        bc::test::whenModal<frmProperties>(this, [&](frmProperties *d) {
            ++dialogs;
            d->cmdClose->click();
        });
        StartUp startUp(state());
        QVERIFY(!startUp.run());
        QCOMPARE(dialogs, 1);
        QVERIFY(!startUp.mainWindow());
        QVERIFY(!startUp.loginWindow());
        QVERIFY(!QFile::exists(m_dir->path() + QStringLiteral("/missing.fd")));
        // Invalid path, question (OK), invalid path, question (Cancel).
        QCOMPARE(m_messages.shown.size(), 4);
        QCOMPARE(m_messages.shown[0].title + u'|' + m_messages.shown[0].text,
                 QStringLiteral("Error|Invalid Database Path"));
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(m_messages.shown[1].text,
                 QStringLiteral("Could not open database. Please select appropriate .fd file"));
        QCOMPARE(m_messages.shown[1].title, QStringLiteral("Error"));
        QCOMPARE(m_messages.shown[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }

    void retryThroughTheDialogOpensTheChosenBook()
    {
        const QString good = state().paths.defaultBookPath();
        writeSettings("DBPath#" + m_dir->path().toUtf8() + "/missing.fd\r\n");
        m_messages.answers = {QMessageBox::Ok};
        bc::test::whenModal<frmProperties>(this, [&](frmProperties *d) {
            d->TxtDBPath->setText(good);
            d->cmdOk->click();
        });
        StartUp startUp(state());
        QVERIFY(startUp.run());
        QVERIFY(startUp.mainWindow());
        QCOMPARE(state().book.path(), good);
    }

    void anOlderBookIsBroughtForwardAndTheUserToldWhereItsCopyIs()
    {
        const QString old = m_dir->path() + QStringLiteral("/old.fd");
        bc::test::createFormat1Book(old);
        writeSettings("DBPATH#" + old.toUtf8() + "\r\n");
        StartUp startUp(state());
        QVERIFY(startUp.run());
        QCOMPARE(state().book.format(), Book::formatVersion);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(int(m_messages.shown[0].icon), int(MsgIcon::Information));
        QCOMPARE(m_messages.shown[0].text, migrationNotice(old + QStringLiteral(".v1.bak")));
        QVERIFY(QFile::exists(old + QStringLiteral(".v1.bak")));
        // The automatic backups hold a copy as it was before, too.
        const QStringList copies = QDir(state().paths.defaultBackupsFolder()).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies[0].startsWith(QLatin1String("old-")));
        Book copy;
        QVERIFY(copy.open(state().paths.defaultBackupsFolder() + u'/' + copies[0], OpenOptions{.readOnly = true}).ok());
        QCOMPARE(copy.format(), 1);
    }

    void foreignFileReportsTheDescription()
    {
        const QString text = m_dir->path() + QStringLiteral("/letter.fd");
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dear Sir");
        f.close();
        writeSettings("DBPATH#" + text.toUtf8() + "\r\n");
        m_messages.answers = {QMessageBox::Cancel};
        StartUp startUp(state());
        QVERIFY(!startUp.run());
        QVERIFY(m_messages.shown[0].text.startsWith(QLatin1String("Error\r\n")));
        QVERIFY(m_messages.shown[0].text.contains(QLatin1String("not a Brindlecot book")));
        QFile check(text);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("Dear Sir"));
    }

    void aBookHoldingAnotherProgramsTriggerIsRefusedNamingItAndTheRepair()
    {
        const QString path = m_dir->path() + QStringLiteral("/crafted.fd");
        QVERIFY(Book::create(path).isEmpty());
        {
            Book book;
            QVERIFY(book.open(path).ok());
            runSql(connectionOf(book),
                   QStringLiteral("CREATE TRIGGER double_amounts AFTER INSERT ON transaction_master BEGIN "
                                  "UPDATE transaction_master SET amount = amount * 2 WHERE tran_id = NEW.tran_id; "
                                  "END"));
        }
        writeSettings("DBPATH#" + path.toUtf8() + "\r\n");
        m_messages.answers = {QMessageBox::Cancel};
        StartUp startUp(state());
        QVERIFY(!startUp.run());
        QVERIFY(m_messages.shown[0].text.contains(QLatin1String("trigger double_amounts on transaction_master")));
        QVERIFY(m_messages.shown[0].text.contains(QLatin1String("brindlecot-cli check --repair ") + path));
    }

    void loginEscapeOpensTheDialogAndASaveRestarts()
    {
        setLogin(QStringLiteral("Admin"), QString());
        StartUp startUp(state());
        QVERIFY(startUp.run());
        frmLogin *login = startUp.loginWindow();
        QVERIFY(login);
        bc::test::whenModal<frmProperties>(this, [](frmProperties *d) { d->cmdOk->click(); });
        QTest::keyClick(login, Qt::Key_Escape);
        // The save closes the old login window and shows a new one.
        QTRY_VERIFY(startUp.loginWindow() && startUp.loginWindow() != login);
        QVERIFY(QFile::exists(state().paths.settingsFilePath()));
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
