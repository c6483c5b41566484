#include "appstate.h"
#include "frmproperties.h"
#include "modaldriver.h"
#include "recordingmessages.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace bc;
using bc::test::RecordingMessages;

class TestFrmProperties : public bc::test::WindowTest {
    Q_OBJECT

    QByteArray settingsBytes()
    {
        QFile f(m_state->paths.settingsFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void writeSettings(const QByteArray &text)
    {
        QFile f(m_state->paths.settingsFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

private slots:
    void init()
    {
        start();
        useFolderForFiles();
        m_state->defaultPrinter = [] {
            return PrinterSettings{QStringLiteral("usb1"), QStringLiteral("Laser 9"), QStringLiteral("Office")};
        };
        m_state->printerList = [] {
            return QList<PrinterSettings>{{QStringLiteral("lpt"), QStringLiteral("Inkjet 2"), QStringLiteral("Den")},
                                          {QStringLiteral("usb1"), QStringLiteral("Laser 9"),
                                           QStringLiteral("Office")}};
        };
    }

    void firstOpenCreatesAnEmptyFileAndOkWritesTheDefaultPrinter()
    {
        frmProperties dialog(*m_state);
        QCOMPARE(settingsBytes(), QByteArray());
        QCOMPARE(dialog.cboPrinter->count(), 2);
        QCOMPARE(dialog.cboPrinter->currentIndex(), -1);
        QCOMPARE(dialog.Frame1->title(), QStringLiteral("DataBase Settings"));
        QCOMPARE(dialog.Frame2->title(), QStringLiteral("Printer Settings"));
        QCOMPARE(dialog.CmdDefPrn->text(), QStringLiteral("Pick &Default Printer"));
        QVERIFY(dialog.cmdOk->isDefault());
        QSignalSpy saved(&dialog, &frmProperties::saved);
        dialog.TxtDBPath->setText(QStringLiteral("/books/home.fd"));
        dialog.cmdOk->click();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(settingsBytes(),
                 QByteArray("DBPath#/books/home.fd\r\nPRNPORT#usb1\r\nPRNDRIVER#Laser 9\r\nPRNDEVICE#Office\r\n"));
        QCOMPARE(m_state->printer.device, QStringLiteral("Office"));
    }

    void loadsPathAndPrinterAndFallsBackToTheDefault()
    {
        writeSettings("dbpath#/a/b.fd\r\nPRNDEVICE#Den\r\n");
        {
            frmProperties dialog(*m_state);
            QCOMPARE(dialog.TxtDBPath->text(), QStringLiteral("/a/b.fd"));
            QCOMPARE(dialog.cboPrinter->currentText(), QStringLiteral("Den"));
            dialog.cmdOk->click();
            QVERIFY(settingsBytes().contains("PRNPORT#lpt\r\nPRNDRIVER#Inkjet 2\r\nPRNDEVICE#Den\r\n"));
        }
        writeSettings("DBPath#/a/b.fd\r\nPRNDEVICE#Gone Printer\r\nDBPath#/never/read.fd\r\n");
        {
            frmProperties dialog(*m_state);
            QCOMPARE(dialog.cboPrinter->currentText(), QStringLiteral("Office"));
            QCOMPARE(dialog.TxtDBPath->text(), QStringLiteral("/a/b.fd")); // reading stopped at the gone printer
            dialog.cboPrinter->setCurrentIndex(0);
            dialog.CmdDefPrn->click();
            QCOMPARE(dialog.cboPrinter->currentText(), QStringLiteral("Office"));
        }
    }

    void deletedFileMakesOkFailWithoutWriting()
    {
        frmProperties dialog(*m_state);
        QVERIFY(QFile::remove(m_state->paths.settingsFilePath()));
        QSignalSpy saved(&dialog, &frmProperties::saved);
        dialog.cmdOk->click();
        QCOMPARE(saved.size(), 0);
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].title, QStringLiteral("Action failed"));
        QCOMPARE(m_messages.shown[0].icon, MsgIcon::Critical);
        QVERIFY(m_messages.shown[0].text.startsWith(QLatin1String("Error\r\n")));
        QVERIFY(!QFile::exists(m_state->paths.settingsFilePath()));
    }

    void cancelSavesNothing()
    {
        writeSettings("DBPath#/keep.fd\r\n");
        frmProperties dialog(*m_state);
        dialog.TxtDBPath->setText(QStringLiteral("/other.fd"));
        dialog.cmdClose->click();
        QCOMPARE(settingsBytes(), QByteArray("DBPath#/keep.fd\r\n"));
    }

    void newBookCreatesAFileAndPutsItsPath()
    {
        frmProperties dialog(*m_state);
        const QString target = m_dir->path() + QStringLiteral("/second");
        bc::test::answerFileDialog(this, target);
        dialog.cmdNew->click();
        QCOMPARE(dialog.TxtDBPath->text(), target + QStringLiteral(".fd"));
        QVERIFY(QFile::exists(target + QStringLiteral(".fd")));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void aDialogTheDriverCannotAnswerIsClosedNotWaitedOn()
    {
        // Waiting for a file dialog, the driver meets another modal window,
        // then a file dialog that its action leaves open: once its bound has
        // passed it closes each, so exec() returns and the test goes on.
        using namespace std::chrono_literals;
        QDialog other;
        bc::test::whenModal<QFileDialog>(
            this, [](QFileDialog *) {}, 200ms);
        QCOMPARE(other.exec(), int(QDialog::Rejected));
        QFileDialog files(nullptr, QString(), m_dir->path());
        files.setOption(QFileDialog::DontUseNativeDialog);
        bool acted = false;
        bc::test::whenModal<QFileDialog>(
            this, [&acted](QFileDialog *) { acted = true; }, 200ms);
        QCOMPARE(files.exec(), int(QDialog::Rejected));
        QVERIFY(acted);
    }
};

QTEST_MAIN(TestFrmProperties)
#include "tst_frmproperties.moc"
