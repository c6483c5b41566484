// What the windows say when the book is damaged, foreign, incomplete,
// read-only, held by another program or on a full disk: the reason in words,
// never a crash or a hang, and the file left exactly as it was.
#include "accounts.h"
#include "appstate.h"
#include "book.h"
#include "bookfaults.h"
#include "datagrid.h"
#include "frmaccountmaster.h"
#include "frmsysconfig.h"
#include "recordingmessages.h"
#include "sql.h"
#include "startup.h"
#include "testbook.h"
#include "windowfixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace bc;
using bc::test::RecordingMessages;
using bc::test::fileBytes;

class TestFaultMessages : public bc::test::WindowTest {
    Q_OBJECT

    void writeSettings(const QByteArray &text)
    {
        QVERIFY(bc::test::writeBytes(state().paths.settingsFilePath(), text));
    }

    // A copy of the default book, changed by one statement.
    QString changedCopy(const QString &name, const QString &statement)
    {
        const QString path = file(name);
        QFile::copy(state().paths.defaultBookPath(), path);
        Book book;
        if (!book.open(path).ok())
            return QString();
        runSql(connectionOf(book), statement);
        return path;
    }

    // Starts the program on a book, cancelling when asked to choose another;
    // returns the first message shown.
    RecordingMessages::Shown startOn(const QString &path)
    {
        writeSettings("DBPath#" + path.toUtf8() + "\r\n");
        m_messages = RecordingMessages();
        m_messages.answers = {QMessageBox::Cancel};
        StartUp startUp(state());
        const bool started = startUp.run();
        bc::test::closeAllWindows();
        if (started || m_messages.shown.isEmpty())
            return {MsgIcon::None, QStringLiteral("started"), QString(), {}};
        return m_messages.shown.first();
    }

    // Opens the account window and tries to add an account: Edit/New writes
    // nothing, so the refusal comes from Save.
    void tryToAddAnAccount(const QString &words)
    {
        auto *w = new frmAccountMaster(state());
        w->show();
        // A book that cannot even be read says so when the lists load.
        for (const RecordingMessages::Shown &shown : m_messages.shown)
            QVERIFY2(shown.text.startsWith(QStringLiteral("Error\r\n") + words), qPrintable(shown.text));
        m_messages.shown.clear();
        w->cmdEdit->click();
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.last()));
        const int added = w->AccountRows.rowCount();
        const QModelIndex cell = w->tdbgAccounts->model()->index(added, AccountCol::Name);
        w->tdbgAccounts->setFocus();
        w->tdbgAccounts->setCurrentIndex(cell);
        QTest::keyClick(w->tdbgAccounts, Qt::Key_F2);
        QWidget *editor = w->tdbgAccounts->indexWidget(cell);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Travel"));
        QTest::keyClick(editor, Qt::Key_Tab);
        w->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Error"));
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
        QVERIFY2(m_messages.shown[0].text.startsWith(QStringLiteral("Error : \r\n\r\n") + words),
                 qPrintable(m_messages.last()));
        QCOMPARE(w->mode(), GridEditSession::Mode::Editing);
    }

    // Adding an account and saving the configuration must both be refused
    // with the fault's words and leave the book file as it was.
    void expectSavesRefused(const QString &bookPath, const QString &words)
    {
        const QByteArray before = fileBytes(bookPath);
        m_messages = RecordingMessages();
        tryToAddAnAccount(words);
        if (QTest::currentTestFailed())
            return;

        auto *config = new frmSysConfig(state());
        config->show();
        config->txtUserName->setText(QStringLiteral("someone"));
        config->cmdSave->click();
        QCOMPARE(m_messages.shown.size(), 2);
        QCOMPARE(m_messages.shown[1].title, QStringLiteral("Action failed"));
        QVERIFY2(m_messages.shown[1].text.startsWith(QStringLiteral("Error\r\n") + words),
                 qPrintable(m_messages.last()));
        QVERIFY(config->isVisible());
        QCOMPARE(fileBytes(bookPath), before);
        QVERIFY(!QFile::exists(bookPath + QStringLiteral("-journal")));
    }

private slots:
    void init()
    {
        start();
        state().today = [] { return QDate(2026, 1, 15); };
        state().defaultPrinter = [] { return PrinterSettings{}; };
        state().printerList = [] { return QList<PrinterSettings>{}; };
        state().bookOptions.busyTimeoutMs = 50; // a lock is reported after the wait, which need not be long
        QCOMPARE(firstStart(), QString());
    }

    void booksThatCannotBeUsedAreNamedAtStartAndLeftAlone()
    {
        const QByteArray good = fileBytes(state().paths.defaultBookPath());
        QVERIFY(bc::test::writeBytes(file(QStringLiteral("empty.fd")), QByteArray()));
        QVERIFY(bc::test::writeBytes(file(QStringLiteral("letter.fd")),
                                     "Dear Sir,\r\nplease find my accounts enclosed.\r\n"));
        QVERIFY(bc::test::writeBytes(file(QStringLiteral("cut.fd")), good.left(good.size() / 2)));
        bc::test::createForeignDatabase(file(QStringLiteral("foreign.fd")));
        const QString noTable = changedCopy(QStringLiteral("notable.fd"), QStringLiteral("DROP TABLE system_settings"));
        const QString noQuery = changedCopy(QStringLiteral("noquery.fd"),
                                            QStringLiteral("DELETE FROM saved_queries WHERE name = 'sp_tran_search2'"));
        const QString newer = changedCopy(QStringLiteral("newer.fd"),
                                          QStringLiteral("UPDATE book_info SET value = '99' WHERE key = 'version'"));
        const QList<QPair<QString, QString>> cases = {
            {file(QStringLiteral("empty.fd")), QStringLiteral("is not a Brindlecot book")},
            {file(QStringLiteral("letter.fd")), QStringLiteral("is not a Brindlecot book")},
            {file(QStringLiteral("cut.fd")), QStringLiteral("is damaged")},
            {file(QStringLiteral("foreign.fd")), QStringLiteral("is a database but not a Brindlecot book")},
            {noTable, QStringLiteral("the table \"system_settings\" is missing")},
            {noQuery, QStringLiteral("the saved query \"sp_tran_search2\" is missing")},
            {newer,
             QStringLiteral(
                 "This book was written by a newer Brindlecot (format 99); this program reads up to format %1.")
                 .arg(Book::formatVersion)},
        };
        for (const auto &[path, words] : cases) {
            const QByteArray before = fileBytes(path);
            const RecordingMessages::Shown shown = startOn(path);
            QCOMPARE(shown.title, QStringLiteral("Error"));
            QCOMPARE(shown.icon, MsgIcon::Critical);
            QVERIFY2(shown.text.startsWith(QLatin1String("Error\r\n")) && shown.text.contains(words),
                     qPrintable(path + QStringLiteral(": ") + shown.text));
            QCOMPARE(m_messages.shown.last().text,
                     QStringLiteral("Could not open database. Please select appropriate .fd file"));
            QCOMPARE(fileBytes(path), before);
            QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
        }
    }

    void lockedBookIsNamedAtStartAfterTheWait()
    {
        const QString path = state().paths.defaultBookPath();
        const QByteArray before = fileBytes(path);
        bc::test::BookLock lock(path);
        QVERIFY(lock.held());
        const RecordingMessages::Shown shown = startOn(path);
        QVERIFY2(shown.text.contains(QLatin1String("in use by another program")), qPrintable(shown.text));
        QCOMPARE(fileBytes(path), before);
    }

    void savesIntoALockedBookSayWhy()
    {
        const QString path = state().paths.defaultBookPath();
        QVERIFY(state().book.open(path, state().bookOptions).ok());
        bc::test::BookLock lock(path);
        QVERIFY(lock.held());
        expectSavesRefused(path, QStringLiteral("The book is in use by another program"));
    }

    void readOnlyBookOpensAndItsSavesSayWhy()
    {
        const QString path = state().paths.defaultBookPath();
        bc::test::ReadOnlyBook readOnly(path);
        QVERIFY(state().book.open(path).ok());
        expectSavesRefused(path, QStringLiteral("The book is read-only"));
        state().book.close();
    }

    void savesOnAFullDiskSayWhy()
    {
        const auto disk = bc::test::FullDisk::mount(file(QStringLiteral("disk")), state().paths.defaultBookPath());
        if (!disk)
            QSKIP("mounting a small file system is not permitted here");
        QVERIFY(state().book.open(disk->bookPath()).ok());
        expectSavesRefused(disk->bookPath(), QStringLiteral("The disk holding the book is full"));
        bc::test::closeAllWindows();
        state().book.close();
    }
};

QTEST_MAIN(TestFaultMessages)
#include "tst_faultmessages.moc"
