#pragma once

#include "bookrowsscreen.h"
#include "deleteditems.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;

// Deleted Items: the accounts and transactions saves deleted, when and by
// whom, latest first; Restore puts the chosen rows (those picked and the
// current one) back with their old ids.
class frmDeletedItems : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmDeletedItems(AppState &state, QWidget *parent = nullptr);

    DataGrid *grdDeleted;
    QPushButton *cmdRestore;
    QPushButton *cmdQuit;
    QLabel *lblStatus;

    void reloadRows() override;
    void showBookNote(const QString &text) override;
    void Restore();

private:
    QList<DeletedItem> chosenItems() const;
    QString sideName(const QString &key) const;

    AppState &m_state;
    QList<DeletedItem> m_items; // in the grid's row order
};

} // namespace bc
