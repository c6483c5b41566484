#include "frmmain.h"

#include "appstate.h"
#include "autobackup.h"
#include "bookchangewatch.h"
#include "bookrowsscreen.h"
#include "dberror.h"
#include "dlgcsvmappings.h"
#include "frmaboutus.h"
#include "frmaccountledger.h"
#include "frmaccountmaster.h"
#include "frmaccountstatus.h"
#include "frmdeleteditems.h"
#include "frmfinancialstatements.h"
#include "frmimportstatement.h"
#include "frmreconcile.h"
#include "frmstockgraph.h"
#include "frmsysconfig.h"
#include "frmtextcontrol.h"
#include "frmtransaction.h"
#include "grideditsession.h"
#include "history.h"
#include "historyundo.h"
#include "reconciliation.h"
#include "screenmessages.h"
#include "waitcursor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace bc {

namespace {

// The copy of a book the program closed cleanly, into the backups folder; a
// failure is shown, never passed over.
void backUpClosedBook(AppState &state, const QString &bookPath)
{
    const QString folder = state.backupsFolder();
    if (bookPath.isEmpty() || folder.isEmpty())
        return;
    try {
        WaitCursor wait;
        backUpBookFile(bookPath, folder, state.now());
    } catch (const DbError &e) {
        state.messages->critical(nullptr, QStringLiteral("Error"), errorText(e.description()));
    }
}

} // namespace

frmMain::frmMain(AppState &state, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_watch(new BookChangeWatch(state.book, this))
    , m_pollTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Brindlecot"));
    setWindowIcon(QIcon(QStringLiteral(":/ui/brindlecot.png")));
    setAttribute(Qt::WA_DeleteOnClose);
    // No larger than the screen leaves room for, title bar included.
    const QSize preferred(1000, 700);
    resize(screen() ? preferred.boundedTo(screen()->availableGeometry().size() - QSize(16, 40)) : preferred);

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Closing a window (the chart on Escape) returns to the one used before it.
    mdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(mdiArea);

    const auto action = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setEnabled(false); // enabled when its screen is wired in
        return a;
    };
    mnuTran = menuBar()->addMenu(QStringLiteral("E&ntries"));
    mnuTran->setObjectName(QStringLiteral("mnuTran"));
    mnuOtherTran = action(mnuTran, "mnuOtherTran", QStringLiteral("Transactions"));
    mnuOtherAccounts = action(mnuTran, "mnuOtherAccounts", QStringLiteral("Accounts Set Up"));
    mnuConfig = action(mnuTran, "mnuConfig", QStringLiteral("Configurations"));
    mnuImportStatement = action(mnuTran, "mnuImportStatement", QStringLiteral("Import Statement…"));
    mnuReconcile = action(mnuTran, "mnuReconcile", QStringLiteral("&Reconcile…"));
    mnuDeletedItems = action(mnuTran, "mnuDeletedItems", QStringLiteral("Deleted Items"));
    mnuCsvMappings = action(mnuTran, "mnuCsvMappings", QStringLiteral("CSV &Mappings…"));

    buildEditMenu();

    mnuReport = menuBar()->addMenu(QStringLiteral("Repor&ts"));
    mnuReport->setObjectName(QStringLiteral("mnuReport"));
    mnu_Reports_AccStatus = action(mnuReport, "mnu_Reports_AccStatus", QStringLiteral("Account Summary"));
    mnu_report_account = action(mnuReport, "mnu_report_account", QStringLiteral("Account Ledger"));
    mnu_Reports_FinStatements = action(mnuReport, "mnu_Reports_FinStatements", QStringLiteral("Financial Statements"));

    mnu_window = menuBar()->addMenu(QStringLiteral("&Window"));
    mnu_window->setObjectName(QStringLiteral("mnu_window"));
    connect(mnu_window, &QMenu::aboutToShow, this, &frmMain::fillWindowMenu);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = action(mnuHelp, "mnuAbout", QStringLiteral("About"));
    mnuContents = action(mnuHelp, "mnuContents", QStringLiteral("Contents"));

    wireScreens();

    mnuExit = menuBar()->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    // The frame lives as long as the book it was opened on (opening another
    // book makes a new frame), and so does its watch.
    m_pollTimer->setInterval(1000);
    // Not while a dialog waits for an answer: a window in the middle of an
    // action keeps the rows it acts on until the dialog is closed.
    connect(m_pollTimer, &QTimer::timeout, this, [this] {
        if (!QApplication::activeModalWidget())
            m_watch->poll();
    });
    connect(m_watch, &BookChangeWatch::changedElsewhere, this, &frmMain::takeChangesFromElsewhere);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &frmMain::followApplicationState);
    followApplicationState(QApplication::applicationState());
}

void frmMain::followApplicationState(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_pollTimer->stop();
        return;
    }
    if (!m_pollTimer->isActive()) {
        m_pollTimer->start();
        m_watch->poll();
    }
}

void frmMain::takeChangesFromElsewhere()
{
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (GridEditSession *session = GridEditSession::of(sub->widget()); session && session->isEditing())
            session->noteChangedElsewhere();
    if (m_state.reloadSystemSettings)
        m_state.reloadSystemSettings();
    emit m_state.notifier.bookChanged(nullptr);
}

QWidget *frmMain::child(const QString &name) const
{
    const QPointer<QMdiSubWindow> sub = m_children.value(name);
    return sub ? sub->widget() : nullptr;
}

QWidget *frmMain::showChild(const QString &name, const std::function<QWidget *()> &make, bool giveFocus)
{
    QPointer<QMdiSubWindow> sub = m_children.value(name);
    if (!sub || !sub->widget()) { // a frame whose screen has closed is on its way out
        QWidget *widget = make();
        widget->setAttribute(Qt::WA_DeleteOnClose);
        const QSize wanted = widget->size().expandedTo(widget->minimumSizeHint());
        sub = mdiArea->addSubWindow(widget);
        // Keep the size the screen asked for, plus the frame's decorations,
        // as far as the frame has room for it.
        const int frame = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
        const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        const QSize room = mdiArea->isVisible() ? mdiArea->viewport()->size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        sub->resize((wanted + QSize(2 * frame, title + frame)).boundedTo(room));
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(widget->windowIcon());
        // The frame closes with its window, so a closed screen opens fresh.
        connect(widget, &QObject::destroyed, sub, [s = sub.data()] { s->close(); });
        // A window closed in the middle of its edit cycle leaves it.
        connect(widget, &QObject::destroyed, this, &frmMain::refreshEditMenu, Qt::QueuedConnection);
        m_children.insert(name, sub);
        sub->move(0, 0); // screens open at the top-left of the frame
    }
    sub->show();
    sub->raise();
    if (giveFocus)
        mdiArea->setActiveSubWindow(sub);
    return sub->widget();
}

frmStockGraph *frmMain::showStockGraph()
{
    return static_cast<frmStockGraph *>(showChild(
        QStringLiteral("frmStockGraph"), [this] { return new frmStockGraph(m_state); }, true));
}

frmAccountLedger *frmMain::showAccountLedger()
{
    return static_cast<frmAccountLedger *>(showChild(
        QStringLiteral("frmAccountLedger"),
        [this] { return new frmAccountLedger(m_state, [this] { return showStockGraph(); }); }, true));
}

frmTransaction *frmMain::showTransactions()
{
    return static_cast<frmTransaction *>(showChild(
        QStringLiteral("frmTransaction"), [this] { return new frmTransaction(m_state); }, true));
}

void frmMain::wireScreens()
{
    const auto wire = [this](QAction *entry, const QString &name, bool giveFocus, auto make) {
        entry->setEnabled(true);
        connect(entry, &QAction::triggered, this, [this, name, giveFocus, make] { showChild(name, make, giveFocus); });
    };
    mnuOtherTran->setEnabled(true);
    connect(mnuOtherTran, &QAction::triggered, this, [this] { showTransactions(); });
    wire(mnuOtherAccounts, QStringLiteral("frmAccountMaster"), false, [this] { return new frmAccountMaster(m_state); });
    wire(mnuConfig, QStringLiteral("frmSysConfig"), true, [this] { return new frmSysConfig(m_state); });
    wire(mnuImportStatement, QStringLiteral("frmImportStatement"), true,
         [this] { return new frmImportStatement(m_state); });
    wire(mnuReconcile, QStringLiteral("frmReconcile"), true, [this] { return new frmReconcile(m_state); });
    wire(mnuDeletedItems, QStringLiteral("frmDeletedItems"), true, [this] { return new frmDeletedItems(m_state); });
    mnuCsvMappings->setEnabled(true);
    connect(mnuCsvMappings, &QAction::triggered, this, [this] {
        dlgCsvMappings dialog(m_state, this);
        dialog.exec();
        emit m_state.notifier.bookChanged(nullptr);
    });
    mnu_report_account->setEnabled(true);
    connect(mnu_report_account, &QAction::triggered, this, [this] { showAccountLedger(); });
    wire(mnu_Reports_FinStatements, QStringLiteral("frmFinancialStatements"), true, [this] {
        return new frmFinancialStatements(
            m_state, [this] { return showAccountLedger(); }, [this] { return showStockGraph(); },
            [this] { return showTransactions(); });
    });
    wire(mnu_Reports_AccStatus, QStringLiteral("frmAccountStatus"), true,
         [this] { return new frmAccountStatus(m_state, [this] { return showStockGraph(); }); });
    wire(mnuAbout, QStringLiteral("frmAboutUS"), true, [] { return new frmAboutUS; });
    mnuContents->setEnabled(true);
    connect(mnuContents, &QAction::triggered, this, [this] { ShowHelpContents(m_state, *this); });
}

void frmMain::fillWindowMenu()
{
    mnu_window->clear();
    const QList<QMdiSubWindow *> windows = mdiArea->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow *sub = windows[i];
        QAction *a = mnu_window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == mdiArea->activeSubWindow());
        connect(a, &QAction::triggered, sub, [this, sub] { mdiArea->setActiveSubWindow(sub); });
    }
}

void frmMain::buildEditMenu()
{
    mnuEdit = menuBar()->addMenu(QStringLiteral("Ed&it"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo = mnuEdit->addAction(QStringLiteral("&Undo Save"));
    mnuUndo->setObjectName(QStringLiteral("mnuUndo"));
    // A text box or a grid's open cell editor takes Ctrl+Z for its own text
    // before the shortcut is looked for, so the key undoes a save only when
    // no text is being edited.
    mnuUndo->setShortcut(QKeySequence::Undo);
    mnuRedo = mnuEdit->addAction(QStringLiteral("&Redo Save"));
    mnuRedo->setObjectName(QStringLiteral("mnuRedo"));
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The menu entries' status tips say why they are off.
    statusBar();
    connect(mnuUndo, &QAction::triggered, this, [this] { undoLatest(false); });
    connect(mnuRedo, &QAction::triggered, this, [this] { undoLatest(true); });
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmMain::refreshEditMenu);
    connect(&m_state.notifier, &SettingsNotifier::bookChanged, this, &frmMain::showBookChanged);
    connect(&m_state.notifier, &SettingsNotifier::editCycleChanged, this, &frmMain::refreshEditMenu);
    refreshEditMenu();
}

QString frmMain::windowInEditCycle() const
{
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (GridEditSession *session = GridEditSession::of(sub->widget()); session && session->isEditing())
            return sub->widget()->windowTitle();
    return QString();
}

void frmMain::refreshEditMenu()
{
    // A save is never undone under a window's unsaved edits: the keys there
    // take back the window's own changes.
    const QString editing = windowInEditCycle();
    const QString reason = editing.isEmpty()
        ? QString()
        : QStringLiteral("Off while %1 is being edited: save or cancel its edits first.").arg(editing);
    const auto name = [this, &editing, &reason](QAction *entry, const QString &caption,
                                                const std::optional<ChangeSet> &target) {
        // A login that may only read the book is offered no change of it.
        entry->setEnabled(target.has_value() && m_state.book.mayWrite() && editing.isEmpty());
        entry->setText(target ? QStringLiteral("%1: %2").arg(caption, target->title(m_state.today()))
                              : caption + QStringLiteral(" Save"));
        entry->setStatusTip(reason);
    };
    try {
        name(mnuUndo, QStringLiteral("&Undo"), undoTarget(m_state.book));
        // What a redo puts back is the change its undo took back.
        std::optional<ChangeSet> redone;
        if (const std::optional<ChangeSet> undo = redoTarget(m_state.book))
            redone = changeSet(m_state.book, undo->undoes);
        name(mnuRedo, QStringLiteral("&Redo"), redone);
    } catch (const DbError &) {
        name(mnuUndo, QStringLiteral("&Undo"), std::nullopt);
        name(mnuRedo, QStringLiteral("&Redo"), std::nullopt);
    }
}

void frmMain::undoLatest(bool redo)
{
    if (!windowInEditCycle().isEmpty()) {
        refreshEditMenu();
        return;
    }
    std::optional<ChangeSet> target;
    std::optional<ChangeSet> redone; // what a redo puts back
    try {
        target = redo ? redoTarget(m_state.book) : undoTarget(m_state.book);
        if (redo && target)
            redone = changeSet(m_state.book, target->undoes);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
        return;
    }
    if (!target) {
        refreshEditMenu();
        return;
    }
    const QString title = redo ? QStringLiteral("Redo Save") : QStringLiteral("Undo Save");
    try {
        const QList<ReconciledSide> reconciled = reconciledSidesAnUndoChanges(m_state.book, target->id);
        if (!reconciled.isEmpty()
            && m_state.messages->question(this, title, reconciledChangeQuestion(reconciled, m_state.dateFormat()))
                != QMessageBox::Yes)
            return;
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
        return;
    }
    const UndoResult result = undoChange(m_state.book, target->id, QStringLiteral("Edit menu"));
    if (!result.ok) {
        m_state.messages->critical(this, title, result.message);
        return;
    }
    if (m_state.reloadSystemSettings)
        m_state.reloadSystemSettings();
    showBookChanged(nullptr);
    const ChangeSet &changed = redone ? *redone : *target;
    QString what = changed.title(m_state.today());
    if (!what.isEmpty())
        what[0] = what[0].toLower();
    const QString note = redo ? QStringLiteral("Redone: %1 — Edit > Undo Save takes it back").arg(what)
                              : QStringLiteral("Undone: %1 — Edit > Redo Save brings it back").arg(what);
    for (QMdiSubWindow *sub : mdiArea->subWindowList())
        if (auto *rows = dynamic_cast<BookRowsScreen *>(sub->widget()))
            rows->showBookNote(note);
}

void frmMain::showBookChanged(QWidget *by)
{
    for (QMdiSubWindow *sub : mdiArea->subWindowList()) {
        QWidget *widget = sub->widget();
        GridEditSession *session = GridEditSession::of(widget);
        auto *rows = dynamic_cast<BookRowsScreen *>(widget);
        if (widget == by || !rows || (session && session->isEditing()))
            continue;
        rows->reloadRows();
    }
    refreshEditMenu();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Every screen with unsaved edits is asked before any window closes, so
    // a "No" leaves all of them, and what they show, as they were.
    QList<GridEditSession *> agreed;
    for (QMdiSubWindow *sub : mdiArea->subWindowList()) {
        GridEditSession *session = GridEditSession::of(sub->widget());
        if (!session || !session->isEditing())
            continue;
        mdiArea->setActiveSubWindow(sub);
        if (!confirmDiscardEdits(m_state, sub->widget(), sub->widget()->windowTitle())) {
            event->ignore();
            return;
        }
        agreed << session;
    }
    for (GridEditSession *session : agreed)
        session->dropEdits();
    mdiArea->closeAllSubWindows();
    const QList<QMdiSubWindow *> left = mdiArea->subWindowList();
    if (std::any_of(left.begin(), left.end(), [](QMdiSubWindow *w) { return w->isVisible(); })) {
        event->ignore(); // a screen refused to close (unsaved edits)
        return;
    }
    // The watch is of this book: nothing is polled once it is closed, though
    // the frame is deleted only later.
    m_pollTimer->stop();
    disconnect(qApp, &QGuiApplication::applicationStateChanged, this, &frmMain::followApplicationState);
    const QString closedBook = m_state.book.path();
    m_state.book.close();
    backUpClosedBook(m_state, closedBook);
    event->accept();
}

} // namespace bc
