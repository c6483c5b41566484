#pragma once

#include "bookrowsscreen.h"
#include "reconciliation.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;
class DateEntry;
class RowArrayModel;

// The columns of the reconcile grid's row array.
namespace ReconcileCol {
enum : int { Tick, Date, Particulars, Amount, Status, Count };
}

// Reconcile: the account's movements not yet reconciled up to the
// statement's date, ticked with Space as the statement shows them; the
// cleared balance and the difference to the statement's closing balance
// follow each tick. Finish (at a difference of 0.00) marks the ticked sides
// reconciled in one save; Postpone keeps the ticks as cleared for later;
// Auto-tick offers the movements that make up the difference. A statement
// reconciled before shows read-only: its date, closing balance and the
// movements it agreed.
class frmReconcile : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmReconcile(AppState &state, QWidget *parent = nullptr);
    ~frmReconcile() override;

    QComboBox *cboAccount;
    // "(new statement)", or a statement reconciled before, shown read-only.
    QComboBox *cboStatement;
    // The account a difference left is booked against, or none.
    QComboBox *cboAdjust;
    DateEntry *dteStatement;
    QLineEdit *txtClosing;
    DataGrid *grdMovements;
    QLabel *lblCleared;
    QLabel *lblDifference;
    QPushButton *cmdAutoTick;
    QPushButton *cmdPostpone;
    QPushButton *cmdFinish;
    QPushButton *cmdClose;

    void reloadRows() override { loadMovements(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void loadAccounts();
    void loadStatements();
    void accountChosen();
    void statementChosen();
    void loadMovements();
    qint64 pastStatement() const;
    void toggleTick(int row);
    void showFigures();
    std::optional<qint64> closingCents() const;
    QList<SideRef> tickedSides() const;
    void autoTick();
    void postpone();
    void finish();

    AppState &m_state;
    RowArrayModel *m_model;
    QList<AccountMovement> m_movements; // in the grid's order
    QList<bool> m_ticked;
};

} // namespace bc
