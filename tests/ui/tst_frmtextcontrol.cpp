#include "appstate.h"
#include "frmaboutus.h"
#include "frmmain.h"
#include "frmtextcontrol.h"
#include "recordingmessages.h"
#include "testbook.h"
#include "windowfixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace bc;
using bc::test::RecordingMessages;

class TestFrmTextControl : public bc::test::WindowTest {
    Q_OBJECT

    QPointer<frmMain> m_main;

    QString guidePath() const { return m_book->dir() + QStringLiteral("/readme.rtf"); }

    void writeGuide(const QByteArray &rtf)
    {
        QFile f(guidePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(rtf);
    }

    frmTextControl *viewer() const { return qobject_cast<frmTextControl *>(m_state->helpViewer.data()); }

private slots:
    void init()
    {
        start();
        newBook();
        QVERIFY(openBook());
        m_state->readmePath = guidePath();
        m_main = new frmMain(*m_state);
        m_main->show();
    }

    void missingGuideGivesTheMessageOnly()
    {
        m_main->mnuContents->trigger();
        QCOMPARE(m_messages.shown.size(), 1);
        QCOMPARE(m_messages.shown[0].text, QStringLiteral("Error opening helpfile"));
        QCOMPARE(m_messages.shown[0].title, QString());
        QCOMPARE(m_messages.shown[0].buttons, QMessageBox::Ok);
        QVERIFY(!m_state->helpViewer);
        QVERIFY(m_main->mdiArea->subWindowList().isEmpty());

        // A folder of that name is no guide either.
        m_state->readmePath = m_book->dir();
        m_main->mnuContents->trigger();
        QCOMPARE(m_messages.shown.size(), 2);
        QVERIFY(!m_state->helpViewer);
    }

    void contentsTwiceReloadsTheOneViewer()
    {
        writeGuide("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}First {\\b edition}\\par}");
        m_main->mnuContents->trigger();
        frmTextControl *first = viewer();
        QVERIFY(first);
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(first->windowTitle(), QStringLiteral("Help: Contents"));
        QCOMPARE(first->fileType(), QStringLiteral("Help"));
        QVERIFY(first->richTextFile->isReadOnly());
        QCOMPARE(first->richTextFile->toPlainText().trimmed(), QStringLiteral("First edition"));
        QCOMPARE(m_main->mdiArea->activeSubWindow()->widget(), first);

        // Greyed-text background, with text that stands out from it.
        const QPalette p = first->richTextFile->palette();
        QCOMPARE(p.color(QPalette::Base), first->palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(qAbs(p.color(QPalette::Text).lightness() - p.color(QPalette::Base).lightness()) >= 96);

        writeGuide("{\\rtf1\\ansi Second\\par}");
        m_main->mnuContents->trigger();
        QCOMPARE(viewer(), first);
        QCOMPARE(m_main->mdiArea->subWindowList().size(), 1);
        QCOMPARE(first->richTextFile->toPlainText().trimmed(), QStringLiteral("Second"));

        // Closed, it is forgotten and the next Contents opens a new one.
        QPointer<frmTextControl> old = first;
        m_main->mdiArea->activeSubWindow()->close();
        QTRY_VERIFY(!old);
        QVERIFY(!m_state->helpViewer);
        m_main->mnuContents->trigger();
        QVERIFY(viewer());
        QCOMPARE(m_main->mdiArea->subWindowList().size(), 1);
    }

    void theTextAreaFillsTheViewer()
    {
        writeGuide("{\\rtf1\\ansi Text\\par}");
        m_main->mnuContents->trigger();
        frmTextControl *v = viewer();
        QVERIFY(v);
        for (const QSize size : {QSize(300, 200), QSize(640, 480)}) {
            v->parentWidget()->resize(size);
            QTRY_COMPARE(v->richTextFile->geometry(), v->rect());
            QVERIFY(v->width() > size.width() / 2);
        }
    }

    void theBuildTreeFindsTheRealGuide()
    {
        // Neither beside the test program nor installed: the source copy.
        QCOMPARE(findReadme(), QStringLiteral(BRINDLECOT_README_PATH));
        m_state->readmePath = findReadme();
        m_main->mnuContents->trigger();
        QVERIFY(viewer());
        const QString text = viewer()->richTextFile->toPlainText();
        QVERIFY(text.contains(QLatin1String("New Book...")));
        QVERIFY(!text.contains(QLatin1Char('\\')));
    }

    void aboutBoxIsSingleAndClosesWithOk()
    {
        m_main->mnuAbout->trigger();
        auto *about = qobject_cast<frmAboutUS *>(m_main->child(QStringLiteral("frmAboutUS")));
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Brindlecot"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Brindlecot Version 1.1"));
        QCOMPARE(about->lblDescription->text(), QStringLiteral("For Home/Small Business Accounting"));
        QVERIFY(about->lblWarning->text().contains(QLatin1String("distribut")));
        QVERIFY(!about->imgLogo->pixmap().isNull());
        QCOMPARE(about->cmdOK->text(), QStringLiteral("&OK"));
        QCOMPARE(m_main->mdiArea->activeSubWindow()->widget(), about);

        m_main->mnuAbout->trigger();
        QCOMPARE(m_main->child(QStringLiteral("frmAboutUS")), about);
        QCOMPARE(m_main->mdiArea->subWindowList().size(), 1);

        QPointer<frmAboutUS> box = about;
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QTRY_VERIFY(!box);
        QTRY_VERIFY(m_main->mdiArea->subWindowList().isEmpty());
    }
};

QTEST_MAIN(TestFrmTextControl)
#include "tst_frmtextcontrol.moc"
