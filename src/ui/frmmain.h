#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace bc {

struct AppState;
class BookChangeWatch;
class frmAccountLedger;
class frmTransaction;
class frmStockGraph;

// The frame window: menus that open every screen as a single-instance child.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(AppState &state, QWidget *parent = nullptr);

    QMdiArea *mdiArea;
    QMenu *mnuTran;
    QAction *mnuOtherTran;
    QAction *mnuOtherAccounts;
    QAction *mnuConfig;
    QAction *mnuImportStatement;
    QAction *mnuReconcile;
    QAction *mnuDeletedItems;
    QAction *mnuCsvMappings;
    QMenu *mnuEdit;
    QAction *mnuUndo;
    QAction *mnuRedo;
    QMenu *mnuReport;
    QAction *mnu_Reports_AccStatus;
    QAction *mnu_report_account;
    QAction *mnu_Reports_FinStatements;
    QMenu *mnu_window;
    QMenu *mnuHelp;
    QAction *mnuAbout;
    QAction *mnuContents;
    QAction *mnuExit;

    // Shows the child window called name, creating it with make when it is
    // not open; an open one is brought to the front as it is. Returns the
    // window's widget.
    QWidget *showChild(const QString &name, const std::function<QWidget *()> &make, bool giveFocus = true);
    QWidget *child(const QString &name) const;
    // The one chart window the report screens fill: the open one, or a new one.
    frmStockGraph *showStockGraph();
    // The Account Ledger, opened or brought to the front.
    frmAccountLedger *showAccountLedger();
    frmTransaction *showTransactions();
    // Tells when another program or user saved to the open book. The frame
    // polls it about once a second while the program is the active one.
    BookChangeWatch &bookWatch() const { return *m_watch; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void wireScreens();
    void fillWindowMenu();
    void buildEditMenu();
    // Names in the Edit menu what Undo and Redo would do, or disables them.
    void refreshEditMenu();
    // The title of a window in the middle of its edit cycle; empty for none.
    QString windowInEditCycle() const;
    // Undoes the latest change (redo: the latest undo) through the history.
    void undoLatest(bool redo);
    // Shows the changed rows in every open window but by and those in the
    // middle of an edit cycle, and the Edit menu anew.
    void showBookChanged(QWidget *by);
    // Polls the watch while the program is active, and at once when it
    // becomes active again.
    void followApplicationState(Qt::ApplicationState state);
    // Another program or user saved: the settings and every idle window are
    // read afresh, and windows in an edit cycle keep their edits and say so.
    void takeChangesFromElsewhere();
    AppState &m_state;
    QHash<QString, QPointer<QMdiSubWindow>> m_children;
    BookChangeWatch *m_watch;
    QTimer *m_pollTimer;
};

} // namespace bc
