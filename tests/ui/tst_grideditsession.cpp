#include "datagrid.h"
#include "grideditsession.h"
#include "recordingmessages.h"
#include "rowarraymodel.h"
#include "typist.h"
#include "windowfixture.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace bc;
using bc::test::goToRow;
using bc::test::press;
using bc::test::typeInCell;

// The edit cycle on a window of its own, as a new editable window would use
// it: a search box, a grid of named rows, Edit, Save and Cancel.
class TestGridEditSession : public bc::test::WindowTest {
    Q_OBJECT

    enum Column { Id, Name, Mark, Version };

    QWidget *m_window = nullptr;
    DataGrid *m_grid = nullptr;
    QLineEdit *m_search = nullptr;
    QLabel *m_status = nullptr;
    GridEditSession *m_session = nullptr;
    QList<QList<LoadedRow>> m_written; // the deletions each save was given
    QList<GridSaveOutcome> m_outcomes; // what the saves give, in turn
    int m_reloads = 0;

    void open()
    {
        newBook();
        QVERIFY(openBook());
        RowArray rows({CellType::Int, CellType::Text, CellType::Int, CellType::Int});
        for (qint64 id : {1, 2, 3}) {
            const int r = rows.appendRow();
            rows.setInt(r, Id, id);
            rows.setText(r, Name, QStringLiteral("Row %1").arg(id));
            rows.setInt(r, Version, 10 + id);
        }
        m_window = new QWidget;
        m_search = new QLineEdit(m_window);
        m_grid = new DataGrid(new RowArrayModel(rows,
                                                {GridColumn::hiddenColumn(QStringLiteral("Id")),
                                                 GridColumn::shown(QStringLiteral("Name"), GridColumn::Format::Plain,
                                                                   true),
                                                 GridColumn::hiddenColumn(QStringLiteral("Mark")),
                                                 GridColumn::hiddenColumn(QStringLiteral("Version"))}),
                              m_window);
        new QAbstractItemModelTester(m_grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_window);
        auto *edit = new QPushButton(QStringLiteral("&Edit"), m_window);
        auto *save = new QPushButton(QStringLiteral("&Save"), m_window);
        auto *cancel = new QPushButton(QStringLiteral("&Cancel"), m_window);
        m_status = new QLabel(m_window);
        auto *layout = new QVBoxLayout(m_window);
        for (QWidget *w : std::initializer_list<QWidget *>{m_search, m_grid, edit, save, cancel, m_status})
            layout->addWidget(w);
        GridEditSession::WindowPart part;
        part.write = [this](const QList<LoadedRow> &deleted) {
            m_written << deleted;
            return m_outcomes.takeFirst();
        };
        part.relist = [] {};
        part.reload = [this] { ++m_reloads; };
        m_session = new GridEditSession(*m_state, m_window, m_grid, {Id, Version, Mark, Name},
                                        {edit, save, cancel, m_status, {m_search, edit, save, cancel}}, std::move(part),
                                        QStringLiteral("rows"));
        m_window->show();
        QVERIFY(bc::test::activate(m_window));
    }

private slots:
    void init() { start(); }

    // Rows deleted in the grid reach only the save, each with the version it
    // was read at; one taken back with Ctrl+Z is not deleted; deleting
    // several asks first, and No saves nothing and keeps the cycle.
    void deletionsWaitForTheSave()
    {
        open();
        QVERIFY(!m_grid->rowModel()->isEditable() && m_search->isEnabled());
        press(Qt::Key_E, Qt::AltModifier);
        QCOMPARE(m_session->mode(), GridEditSession::Mode::Editing);
        QVERIFY(!m_search->isEnabled() && QApplication::focusWidget() == m_grid);
        goToRow(0);
        press(Qt::Key_Delete, Qt::ControlModifier); // Row 1
        press(Qt::Key_Delete, Qt::ControlModifier); // Row 2
        press(Qt::Key_Z, Qt::ControlModifier); // Row 2 back
        QVERIFY(m_session->hasUnsavedEdits());
        m_outcomes << GridSaveOutcome::saved([] { return QStringLiteral("1 row deleted"); });
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_written, (QList<QList<LoadedRow>>{{LoadedRow(1, 11)}}));
        QVERIFY(m_messages.shown.isEmpty());
        QCOMPARE(m_session->mode(), GridEditSession::Mode::Viewing);
        QCOMPARE(m_reloads, 1);
        QCOMPARE(m_status->text(), QStringLiteral("1 row deleted"));

        press(Qt::Key_E, Qt::AltModifier);
        goToRow(0);
        press(Qt::Key_Delete, Qt::ControlModifier);
        press(Qt::Key_Delete, Qt::ControlModifier);
        m_messages.answers = {QMessageBox::No};
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_written.size(), 1);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown.last().text.startsWith(QStringLiteral("Delete 2 rows?")));
        QCOMPARE(m_session->mode(), GridEditSession::Mode::Editing);
        QVERIFY(m_status->text().startsWith(QStringLiteral("Nothing saved")));
    }

    // A refused save keeps the edits and puts the cursor on the row at
    // fault; closing then asks, and No keeps the window. A save the book
    // could not take ends the cycle, and the window closes unasked.
    void aRefusedSaveKeepsTheCycleAndAFailedOneEndsIt()
    {
        open();
        press(Qt::Key_E, Qt::AltModifier);
        goToRow(0);
        typeInCell(QStringLiteral("Renamed"));
        QCOMPARE(m_grid->rows().editMarkAt(0, Mark), EditMark::Changed);
        m_outcomes << GridSaveOutcome::notSaved(GridSaveOutcome::Kind::Refused, QStringLiteral("Error"),
                                                QStringLiteral("Row 3 is at fault"), 2);
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.last().text, QStringLiteral("Row 3 is at fault"));
        QCOMPARE(m_session->mode(), GridEditSession::Mode::Editing);
        QCOMPARE(m_grid->currentIndex().row(), 2);

        m_messages.answers = {QMessageBox::No};
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());

        m_outcomes << GridSaveOutcome::notSaved(GridSaveOutcome::Kind::Failed, QStringLiteral("Save"),
                                                QStringLiteral("The disk is full"));
        press(Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_messages.shown.last().text, QStringLiteral("The disk is full"));
        QCOMPARE(m_session->mode(), GridEditSession::Mode::Viewing);
        const qsizetype shown = m_messages.shown.size();
        QVERIFY(m_window->close());
        QCOMPARE(m_messages.shown.size(), shown);
    }
};

QTEST_MAIN(TestGridEditSession)
#include "tst_grideditsession.moc"
