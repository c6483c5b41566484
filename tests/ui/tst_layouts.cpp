#include "dlgimportrules.h"
#include "frmaccountstatus.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmproperties.h"
#include "frmreportviewer.h"
#include "frmstockgraph.h"
#include "frmtextcontrol.h"
#include "reportdata.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>

using namespace bc;

// Every window and dialog on the screen this run has (its size is set for
// each run in tests/CMakeLists.txt: 1280x800 and 1024x768, and 1280x800 at a
// scale of 1.5): each lies within the screen or its frame, every control
// within the control that holds it, and every caption within its control.
class TestLayouts : public bc::test::WindowTest {
    Q_OBJECT

    QRect screenArea() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Parts that a control draws of itself (a combo box's line edit, a
    // table's scroll bars) and what a scroll area scrolls are left alone.
    static bool isInnerPart(const QWidget *w, const QWidget *window)
    {
        for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p)
                || qobject_cast<const QAbstractScrollArea *>(p))
                return true;
        return w->objectName().startsWith(QLatin1String("qt_"));
    }

    // The room a button's caption needs besides its text: a check box's box,
    // a push button's frame.
    static int buttonExtra(const QAbstractButton *b)
    {
        QStyle *style = b->style();
        if (qobject_cast<const QCheckBox *>(b))
            return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b)
                + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b);
        if (qobject_cast<const QRadioButton *>(b))
            return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b)
                + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b);
        if (qobject_cast<const QPushButton *>(b))
            return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        return 0;
    }

    static QString shownText(QString text)
    {
        text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
        text.remove(u'&');
        text.replace(QChar(1), u'&');
        return text;
    }

    // What is cut off in window: one line per control.
    static QStringList clipped(QWidget *window)
    {
        QStringList problems;
        const auto name = [](const QWidget *w) {
            return QStringLiteral("%1 %2").arg(QLatin1String(w->metaObject()->className()), w->objectName());
        };
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(window) || w->isWindow() || isInnerPart(w, window))
                continue;
            if (!w->parentWidget()->rect().contains(w->geometry()))
                problems << QStringLiteral("%1 at %2,%3 %4x%5 outside its parent %6 (%7x%8)")
                                .arg(name(w))
                                .arg(w->x())
                                .arg(w->y())
                                .arg(w->width())
                                .arg(w->height())
                                .arg(name(w->parentWidget()))
                                .arg(w->parentWidget()->width())
                                .arg(w->parentWidget()->height());
            int needed = 0;
            int room = 0;
            QString text;
            if (auto *label = qobject_cast<QLabel *>(w);
                label && !label->wordWrap() && label->pixmap().isNull() && label->textFormat() != Qt::RichText) {
                text = shownText(label->text());
                needed = label->fontMetrics().horizontalAdvance(text);
                room = label->contentsRect().width() - 2 * label->margin() - 2 * label->indent();
            } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
                text = shownText(button->text());
                needed = button->fontMetrics().horizontalAdvance(text) + buttonExtra(button);
                room = button->width();
            } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
                text = shownText(group->title());
                needed = group->fontMetrics().horizontalAdvance(text);
                room = group->width();
            }
            if (!text.isEmpty() && needed > room)
                problems
                    << QStringLiteral("%1 \"%2\" needs %3 pixels, has %4").arg(name(w), text).arg(needed).arg(room);
        }
        return problems;
    }

    // A window of its own must lie within area; a screen inside the frame
    // within the frame's room (room is then its frame's geometry).
    void checkWindow(QWidget *window, const QRect &area, const QString &what)
    {
        const QRect outer = window->isWindow() ? window->frameGeometry() : window->parentWidget()->geometry();
        QVERIFY2(area.contains(outer),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 does not fit in %6x%7")
                                .arg(what)
                                .arg(outer.x())
                                .arg(outer.y())
                                .arg(outer.width())
                                .arg(outer.height())
                                .arg(area.width())
                                .arg(area.height())));
        const QStringList problems = clipped(window);
        QVERIFY2(problems.isEmpty(),
                 qPrintable(what + QStringLiteral(":\n  ") + problems.join(QStringLiteral("\n  "))));
    }

    frmMain *openMain()
    {
        auto *main = new frmMain(*m_state);
        main->move(screenArea().topLeft());
        main->show();
        if (!QTest::qWaitForWindowExposed(main))
            return nullptr;
        return main;
    }

private slots:
    void init()
    {
        start();
        m_state->today = [] { return QDate(2026, 12, 8); };
        m_state->printerList = [] { return QList<PrinterSettings>(); };
        m_state->defaultPrinter = [] { return PrinterSettings(); };
        useFolderForFiles();
        bc::test::TestBook &book = newBook();
        const char *names[] = {"Business Bank",
                               "Cash in Hand",
                               "Office Supplies",
                               "Rent",
                               "Salary",
                               "Electricity and Water",
                               "Travel",
                               "Consulting Income",
                               "Credit Card",
                               "Savings Account",
                               "Insurance Premium",
                               "Telephone",
                               "Long Term Loan from the Harlow Bank"};
        qint64 id = 100;
        for (const char *n : names) {
            book.addAccount(id, QString::fromLatin1(n), int(id % 6) + 1, Money::fromCents(100000));
            ++id;
        }
        for (int day = 1; day <= 28; ++day)
            book.addTransaction(day, QDate(2026, 11, day), 100 + day % 13, 100 + (day + 3) % 13,
                                Money::fromCents(1234 * day), QStringLiteral("Monthly account fee for November"));
        QVERIFY(openBook());
        m_state->settings.currency = QStringLiteral("EUR");
        m_state->settings.finYearStart = QDate(2026, 4, 1);
    }

    void everyScreenFitsTheFrameUnclipped()
    {
        const QRect area = screenArea();
        frmMain *main = openMain();
        QVERIFY(main);
        checkWindow(main, area, QStringLiteral("frmMain"));
        const QRect room = main->mdiArea->viewport()->rect();
        const QList<QPair<QAction *, QString>> screens{{main->mnuOtherTran, QStringLiteral("frmTransaction")},
                                                       {main->mnuOtherAccounts, QStringLiteral("frmAccountMaster")},
                                                       {main->mnuConfig, QStringLiteral("frmSysConfig")},
                                                       {main->mnuImportStatement, QStringLiteral("frmImportStatement")},
                                                       {main->mnuDeletedItems, QStringLiteral("frmDeletedItems")},
                                                       {main->mnu_report_account, QStringLiteral("frmAccountLedger")},
                                                       {main->mnu_Reports_AccStatus,
                                                        QStringLiteral("frmAccountStatus")},
                                                       {main->mnu_Reports_FinStatements,
                                                        QStringLiteral("frmFinancialStatements")},
                                                       {main->mnuAbout, QStringLiteral("frmAboutUS")}};
        for (const auto &[entry, name] : screens) {
            entry->trigger();
            QWidget *screen = main->child(name);
            QVERIFY2(screen, qPrintable(name));
            QTest::qWait(0);
            checkWindow(screen, room, name);
        }

        // The summary of all thirteen accounts as a chart.
        auto *summary = qobject_cast<frmAccountStatus *>(main->child(QStringLiteral("frmAccountStatus")));
        QVERIFY(summary);
        summary->SelectAll(true);
        summary->Find();
        summary->BalanceGraph();
        QWidget *chart = main->child(QStringLiteral("frmStockGraph"));
        QVERIFY(chart);
        QTest::qWait(0);
        checkWindow(chart, room, QStringLiteral("frmStockGraph"));
    }

    void dialogsAndTheReportViewerFitTheScreen()
    {
        const QRect area = screenArea();
        frmMain *main = openMain();
        QVERIFY(main);

        auto *login = new frmLogin(*m_state);
        login->setAttribute(Qt::WA_DeleteOnClose);
        login->show();
        QVERIFY(QTest::qWaitForWindowExposed(login));
        checkWindow(login, area, QStringLiteral("frmLogin"));

        auto *properties = new frmProperties(*m_state);
        properties->setAttribute(Qt::WA_DeleteOnClose);
        properties->show();
        QVERIFY(QTest::qWaitForWindowExposed(properties));
        checkWindow(properties, area, QStringLiteral("frmProperties"));

        auto *rules = new dlgImportRules(*m_state, main);
        rules->setAttribute(Qt::WA_DeleteOnClose);
        rules->show();
        QVERIFY(QTest::qWaitForWindowExposed(rules));
        checkWindow(rules, area, QStringLiteral("dlgImportRules"));

        // The viewer opens centred on the screen, wholly within it.
        const LedgerReportData records{{},
                                       {QStringLiteral("Business Bank"), QDate(2026, 11, 1), QDate(2026, 11, 30),
                                        Money(), Money()}};
        main->activateWindow();
        auto *viewer = new frmReportViewer(*m_state, main);
        QVERIFY(viewer->FormShow(records));
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        checkWindow(viewer, area, QStringLiteral("frmReportViewer"));
        const QPoint offCentre = viewer->frameGeometry().center() - area.center();
        QVERIFY2(std::abs(offCentre.x()) <= 20 && std::abs(offCentre.y()) <= 30,
                 qPrintable(
                     QStringLiteral("the viewer is %1,%2 off the centre").arg(offCentre.x()).arg(offCentre.y())));
    }
};

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
