#include "frmdeleteditems.h"

#include "appstate.h"
#include "datagrid.h"
#include "dberror.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "transactions.h"
#include "waitcursor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bc {

namespace {

namespace Col {
enum : int { Kind, Id, Date, Name, Amount, From, To, DeletedAt, DeletedBy, Count };
}

RowArray makeDeletedRows()
{
    return RowArray({CellType::Text, CellType::Int, CellType::Date, CellType::Text, CellType::Money, CellType::Text,
                     CellType::Text, CellType::Text, CellType::Text});
}

QList<GridColumn> deletedColumns()
{
    using F = GridColumn::Format;
    QList<GridColumn> c(Col::Count);
    c[Col::Kind] = GridColumn::shown(QStringLiteral("Item"), F::Plain);
    c[Col::Kind].width = 80;
    c[Col::Id] = GridColumn::shown(QStringLiteral("No."), F::Plain);
    c[Col::Id].width = 50;
    c[Col::Date] = GridColumn::shown(QStringLiteral("Date"), F::Date);
    c[Col::Date].width = 90;
    c[Col::Name] = GridColumn::shown(QStringLiteral("Name / Particulars"), F::Plain);
    c[Col::Amount] = GridColumn::shown(QStringLiteral("Amount"), F::Standard);
    c[Col::Amount].width = 90;
    c[Col::From] = GridColumn::shown(QStringLiteral("From"), F::Plain);
    c[Col::From].width = 110;
    c[Col::To] = GridColumn::shown(QStringLiteral("To"), F::Plain);
    c[Col::To].width = 110;
    c[Col::DeletedAt] = GridColumn::shown(QStringLiteral("Deleted"), F::Plain);
    c[Col::DeletedAt].width = 130;
    c[Col::DeletedBy] = GridColumn::shown(QStringLiteral("By"), F::Plain);
    c[Col::DeletedBy].width = 80;
    return c;
}

} // namespace

frmDeletedItems::frmDeletedItems(AppState &state, QWidget *parent)
    : QWidget(parent)
    , grdDeleted(new DataGrid(new RowArrayModel(makeDeletedRows(), deletedColumns()), this))
    , m_state(state)
{
    setObjectName(QStringLiteral("frmDeletedItems"));
    setWindowTitle(QStringLiteral("Deleted Items"));
    grdDeleted->setObjectName(QStringLiteral("grdDeleted"));
    grdDeleted->setAccessibleName(QStringLiteral("Deleted items"));
    // The name takes the width the other columns leave, so "Deleted" and
    // "By" show without scrolling sideways.
    grdDeleted->horizontalHeader()->setStretchLastSection(false);
    grdDeleted->horizontalHeader()->setSectionResizeMode(Col::Name, QHeaderView::Stretch);
    cmdRestore = makeButton(this, "cmdRestore", QStringLiteral("&Restore"));
    cmdQuit = makeButton(this, "cmdQuit", QStringLiteral("&Quit"));
    lblStatus = makeStatusLabel(this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdQuit);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grdDeleted, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    resize(1000, 440);
    connect(cmdRestore, &QPushButton::clicked, this, &frmDeletedItems::Restore);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
    grdDeleted->enterHandler = [this] { Restore(); };
    reloadRows();
    grdDeleted->setFocus();
}

QString frmDeletedItems::sideName(const QString &key) const
{
    const QString name = GetAccName(m_state.book, key);
    if (!name.isEmpty())
        return name;
    for (const DeletedItem &item : m_items)
        if (item.isAccount && QStringLiteral("A%1").arg(item.id) == key)
            return item.name;
    return key;
}

void frmDeletedItems::reloadRows()
{
    try {
        m_items = deletedItems(m_state.book);
    } catch (const DbError &e) {
        m_items.clear();
        reportDbFailure(m_state, this, e.description());
    }
    RowArray &rows = grdDeleted->rows();
    rows.clear();
    for (const DeletedItem &item : m_items) {
        const int r = rows.appendRow();
        rows.setText(r, Col::Kind, item.isAccount ? QStringLiteral("Account") : QStringLiteral("Transaction"));
        rows.setInt(r, Col::Id, item.id);
        if (item.date.isValid())
            rows.setDate(r, Col::Date, item.date);
        rows.setText(r, Col::Name, item.name);
        rows.setMoney(r, Col::Amount, item.amount);
        if (!item.isAccount) {
            rows.setText(r, Col::From, sideName(item.from));
            rows.setText(r, Col::To, sideName(item.to));
        }
        rows.setText(r, Col::DeletedAt, item.deletedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        rows.setText(r, Col::DeletedBy, item.deletedBy);
    }
    grdDeleted->rowModel()->rebind();
    cmdRestore->setEnabled(!m_items.isEmpty() && m_state.book.mayWrite());
    if (!m_items.isEmpty())
        grdDeleted->setCurrentIndex(grdDeleted->rowModel()->index(0, Col::Kind));
}

void frmDeletedItems::showBookNote(const QString &text)
{
    lblStatus->setText(text);
}

QList<DeletedItem> frmDeletedItems::chosenItems() const
{
    // Rows picked by their selectors, or by Shift with the arrow keys, and
    // the current row.
    QList<int> picked;
    for (const QModelIndex &index : grdDeleted->selectionModel()->selectedIndexes())
        picked << index.row();
    if (grdDeleted->currentIndex().isValid())
        picked << grdDeleted->currentIndex().row();
    std::sort(picked.begin(), picked.end());
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    QList<DeletedItem> chosen;
    for (const int row : picked)
        if (row >= 0 && row < m_items.size())
            chosen << m_items[row];
    return chosen;
}

void frmDeletedItems::Restore()
{
    const QList<DeletedItem> chosen = chosenItems();
    if (chosen.isEmpty())
        return;
    UndoResult result;
    {
        WaitCursor wait;
        result = restoreDeleted(m_state.book, chosen, windowTitle());
    }
    if (!result.ok) {
        m_state.messages->critical(this, windowTitle(), result.message);
        return;
    }
    reloadRows();
    lblStatus->setText(result.message);
    emit m_state.notifier.bookChanged(this);
}

} // namespace bc
