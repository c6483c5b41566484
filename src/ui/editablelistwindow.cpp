#include "editablelistwindow.h"

#include "datagrid.h"
#include "keyfilters.h"
#include "screenparts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bc {

EditableListWindow::EditableListWindow(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
}

EditableListWindow::~EditableListWindow()
{
    if (m_grid)
        m_grid->dropOpenEditor();
}

void EditableListWindow::showBookNote(const QString &text)
{
    lblStatus->setText(text);
}

QGridLayout *EditableListWindow::makeSearchGrid(QWidget *panel, int row, int column)
{
    cmdFind = makeButton(panel, "cmdFind", QStringLiteral("&Find"));
    cmdBlank = makeButton(panel, "cmdBlank", QStringLiteral("&Blank"));
    connect(cmdFind, &QPushButton::clicked, this, &EditableListWindow::Find);
    connect(cmdBlank, &QPushButton::clicked, this, &EditableListWindow::Blank);
    auto *grid = new QGridLayout(panel);
    grid->addWidget(cmdFind, row, column);
    grid->addWidget(cmdBlank, row, column + 1);
    return grid;
}

QLineEdit *EditableListWindow::makeAmountBound(QWidget *panel, const char *objectName)
{
    auto *box = new QLineEdit(panel);
    box->setObjectName(QLatin1String(objectName));
    installAmountKeyFilter(box);
    return box;
}

QHBoxLayout *EditableListWindow::makeCycleControls(const QString &totalCaption, const QList<QPushButton *> &ownButtons)
{
    cmdEdit = makeButton(this, "cmdEdit", QStringLiteral("&Edit/New"));
    cmdSave = makeButton(this, "cmdSave", QStringLiteral("&Save"));
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    lbltotal = makeTotalLabel(this);
    lblStatus = makeStatusLabel(this);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
    // The window's own buttons come between Cancel and Quit, in the row and
    // in the tab order.
    QWidget *before = cmdCancel;
    for (QPushButton *button : ownButtons) {
        setTabOrder(before, button);
        before = button;
    }
    return makeButtonRow(QList<QPushButton *>{cmdEdit, cmdSave, cmdCancel} + ownButtons + QList<QPushButton *>{cmdQuit},
                         totalCaption, lbltotal);
}

QVBoxLayout *EditableListWindow::layOutBelowSearch(DataGrid *grid, QHBoxLayout *buttons)
{
    auto *column = new QVBoxLayout(this);
    column->addWidget(grid, 1);
    column->addWidget(lblStatus);
    column->addLayout(buttons);
    return column;
}

void EditableListWindow::startSession(DataGrid *grid, const EditedColumns &columns, const QList<QWidget *> &switched,
                                      GridEditSession::WindowPart part, const QString &rowsWord)
{
    m_grid = grid;
    m_session = new GridEditSession(m_state, this, grid, columns, {cmdEdit, cmdSave, cmdCancel, lblStatus, switched},
                                    std::move(part), rowsWord);
}

} // namespace bc
