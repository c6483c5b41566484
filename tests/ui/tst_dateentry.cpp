#include "dateentry.h"
#include "windowcleanup.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace bc;

class TestDateEntry : public QObject {
    Q_OBJECT

    // A shown window holding an entry and a second field to move the focus to.
    struct Form {
        QWidget window;
        DateEntry *entry;
        QLineEdit *other;
        Form()
        {
            entry = new DateEntry(&window);
            other = new QLineEdit(&window);
            auto *layout = new QVBoxLayout(&window);
            layout->addWidget(entry);
            layout->addWidget(other);
            window.show();
            QApplication::setActiveWindow(&window);
        }
    };

    static void retype(DateEntry *entry, const QString &text)
    {
        entry->lineEdit()->setFocus();
        entry->lineEdit()->selectAll();
        QTest::keyClick(entry->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(entry->lineEdit(), text);
    }

private slots:
    void cleanup() { bc::test::closeAllWindows(); }

    void typedDatesFollowTheUsersOrder()
    {
        Form f;
        f.entry->setDisplayFormat(QStringLiteral("d/M/yyyy"));
        f.entry->setDate(QDate(2025, 1, 5));
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("5/1/2025"));
        QSignalSpy changed(f.entry, &DateEntry::dateChanged);

        retype(f.entry, QStringLiteral("31/12/2024"));
        QCOMPARE(f.entry->date(), QDate(2024, 12, 31));
        QCOMPARE(changed.last().at(0).toDate(), QDate(2024, 12, 31));

        f.entry->setDisplayFormat(QStringLiteral("M/d/yyyy"));
        retype(f.entry, QStringLiteral("12/30/2024"));
        QCOMPARE(f.entry->date(), QDate(2024, 12, 30));
        retype(f.entry, QStringLiteral("02/03/2024"));
        QCOMPARE(f.entry->date(), QDate(2024, 2, 3));

        // Two-digit years are this century; Enter shows the date in full.
        f.entry->setDisplayFormat(QStringLiteral("d/M/yyyy"));
        retype(f.entry, QStringLiteral("7/8/24"));
        QCOMPARE(f.entry->date(), QDate(2024, 8, 7));
        QTest::keyClick(f.entry->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("7/8/2024"));
    }

    void switchingFormatsOnlyRerenders()
    {
        Form f;
        f.entry->setDate(QDate(2024, 12, 31));
        QSignalSpy changed(f.entry, &DateEntry::dateChanged);
        f.entry->setDisplayFormat(QStringLiteral("M/d/yyyy"));
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("12/31/2024"));
        f.entry->setDisplayFormat(QStringLiteral("d/M/yyyy"));
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("31/12/2024"));
        // The old stored spelling of month first means month first too.
        f.entry->setDisplayFormat(QStringLiteral("mm/dd/yyyy"));
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("12/31/2024"));
        QCOMPARE(f.entry->date(), QDate(2024, 12, 31));
        QCOMPARE(changed.count(), 0);
    }

    // Text that is no date never becomes the date, and stays in the box as
    // typed with the reason, so nothing uses the old date without a word; an
    // emptied box shows its date again.
    void badTextKeepsTheLastDateAndStaysToBeCorrected()
    {
        Form f;
        f.entry->setDisplayFormat(QStringLiteral("M/d/yyyy"));
        f.entry->setDate(QDate(2024, 3, 9));
        QSignalSpy changed(f.entry, &DateEntry::dateChanged);
        for (const QString &bad : {QStringLiteral("31/12/2024"), QStringLiteral("2/30/2024"), QStringLiteral("hello"),
                                   QStringLiteral("3/9")}) {
            retype(f.entry, bad);
            QCOMPARE(f.entry->date(), QDate(2024, 3, 9));
            QTest::keyClick(f.entry->lineEdit(), Qt::Key_Return);
            QCOMPARE(f.entry->lineEdit()->text(), bad);
            QVERIFY(!f.entry->typedProblem().isEmpty());
        }
        QCOMPARE(f.entry->typedProblem(), QStringLiteral("type the day, month and year as 12/31/2026 or 12312026"));
        retype(f.entry, QStringLiteral("2/30/2024"));
        QCOMPARE(f.entry->typedProblem(), QStringLiteral("February 2024 has 29 days"));
        retype(f.entry, QString());
        QTest::keyClick(f.entry->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("3/9/2024"));
        QVERIFY(f.entry->typedProblem().isEmpty());
        retype(f.entry, QStringLiteral("03102024")); // eight digits in the box's order
        QCOMPARE(f.entry->date(), QDate(2024, 3, 10));
        QCOMPARE(changed.count(), 1);

        // Leaving the box keeps the text as well.
        retype(f.entry, QStringLiteral("13/13/2024"));
        f.other->setFocus();
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("13/13/2024"));

        // An invalid date set by code changes nothing either.
        f.entry->setDate(QDate());
        QCOMPARE(f.entry->date(), QDate(2024, 3, 10));
    }

    void calendarOpensFromTheKeyboard()
    {
        Form f;
        f.entry->setDate(QDate(2024, 5, 20));
        QSignalSpy changed(f.entry, &DateEntry::dateChanged);

        QTest::keyClick(f.entry->lineEdit(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(f.entry->isCalendarShown());
        QCOMPARE(f.entry->calendar()->selectedDate(), QDate(2024, 5, 20));
        QTest::keyClick(f.entry->calendar()->window(), Qt::Key_Escape);
        QVERIFY(!f.entry->isCalendarShown());
        QCOMPARE(changed.count(), 0);

        QTest::keyClick(f.entry->lineEdit(), Qt::Key_F4);
        QVERIFY(f.entry->isCalendarShown());
        auto *days = f.entry->calendar()->findChild<QAbstractItemView *>();
        QVERIFY(days);
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
        QVERIFY(!f.entry->isCalendarShown());
        QCOMPARE(f.entry->date(), QDate(2024, 5, 21));
        QCOMPARE(f.entry->lineEdit()->text(), QStringLiteral("21/5/2024"));
        QCOMPARE(changed.count(), 1);
    }
};

QTEST_MAIN(TestDateEntry)
#include "tst_dateentry.moc"
