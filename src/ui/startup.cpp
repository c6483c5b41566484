#include "startup.h"

#include "appstate.h"
#include "book.h"
#include "dberror.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmproperties.h"

#include <QApplication>
#include <QIcon>
#include <QInputDialog>
#include <QUrl>

namespace bc {

namespace {

// Keeps the program alive while its windows are swapped: closing the last
// window would otherwise end it half-way through a restart.
class KeepRunning {
public:
    KeepRunning()
        : m_was(QApplication::quitOnLastWindowClosed())
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ~KeepRunning() { QApplication::setQuitOnLastWindowClosed(m_was); }

private:
    bool m_was;
};

// Whether a server refused the login for want of its password (libpq's
// words), rather than for any other reason the user cannot put right here.
bool wantsPassword(const QString &description)
{
    return description.contains(QLatin1String("no password supplied"))
        || description.contains(QLatin1String("password authentication failed"));
}

} // namespace

void nameApplication()
{
    QApplication::setApplicationName(QStringLiteral("Brindlecot"));
    QApplication::setApplicationVersion(QStringLiteral(BRINDLECOT_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ui/brindlecot.png")));
}

StartUp::StartUp(AppState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    m_state.showProperties = [this](QWidget *owner, bool modal) { showProperties(owner, modal); };
    m_state.reloadSystemSettings = [this] { return LoadSystemSettings(); };
}

StartUp::~StartUp()
{
    m_state.showProperties = nullptr;
    m_state.reloadSystemSettings = nullptr;
}

int StartUp::OpenDatabase()
{
    const QString path = m_state.settingsFile().bookPath(m_state.paths.defaultBookPath());
    OpenOptions options = m_state.bookOptions;
    options.backupsFolder = m_state.backupsFolder();
    OpenResult result = m_state.book.open(path, options);
    // A server book whose password libpq did not find (PGPASSWORD,
    // ~/.pgpass) asks for it, and keeps it for the connections opened later.
    while (!result.ok() && isServerLocation(path) && wantsPassword(result.description)) {
        bool given = false;
        const QString password = QInputDialog::getText(nullptr, QStringLiteral("Login"),
                                                       QStringLiteral("Password of %1 on %2:")
                                                           .arg(QUrl(path).userName(), QUrl(path).host()),
                                                       QLineEdit::Password, QString(), &given);
        if (!given)
            break;
        options.password = m_state.bookOptions.password = password;
        result = m_state.book.open(path, options);
    }
    if (result.code == OpenResult::PathRefused)
        m_state.messages->critical(nullptr, QStringLiteral("Error"), QStringLiteral("Invalid Database Path"));
    else if (!result.ok())
        m_state.messages->critical(nullptr, QStringLiteral("Error"), errorText(result.description));
    if (result.ok() && !result.backupProblem.isEmpty())
        m_state.messages->critical(nullptr, QStringLiteral("Error"), errorText(result.backupProblem));
    if (result.ok() && !result.backup.isEmpty())
        m_state.messages->information(nullptr, QStringLiteral("Brindlecot"), migrationNotice(result.backup));
    return result.code;
}

bool StartUp::LoadSystemSettings()
{
    const QString dateFormat = m_state.settings.dateFormat;
    try {
        bc::LoadSystemSettings(m_state.book, m_state.settings);
        m_state.book.setActorName(m_state.settings.userName);
    } catch (const DbError &e) {
        m_state.messages->critical(nullptr, QStringLiteral("Error"), errorText(e.description()));
        return false;
    }
    ReadPrinterSettings();
    if (m_state.settings.dateFormat != dateFormat)
        emit m_state.notifier.dateFormatChanged(m_state.settings.dateFormat);
    return true;
}

void StartUp::ReadPrinterSettings()
{
    m_state.printer = m_state.settingsFile().printer(m_state.defaultPrinter());
}

bool StartUp::run()
{
    KeepRunning keep;
    while (OpenDatabase() != OpenResult::Ok) {
        const auto answer = m_state.messages->show(nullptr, MsgIcon::None, QStringLiteral("Error"),
                                                   QStringLiteral(
                                                       "Could not open database. Please select appropriate .fd file"),
                                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
        if (answer != QMessageBox::Ok)
            return false;
        frmProperties dialog(m_state);
        dialog.exec();
    }
    if (!LoadSystemSettings())
        return false;
    if (m_state.settings.needsLogin())
        showLogin();
    else
        showMain();
    return true;
}

void StartUp::restart()
{
    KeepRunning keep;
    // Closed windows delete themselves later; forget them now so the run
    // below shows new ones.
    if (m_login) {
        m_login->close();
        m_login = nullptr;
    }
    if (m_main) {
        m_main->close();
        if (m_main && m_main->isVisible())
            return; // a screen with unsaved edits kept the main window open
        m_main = nullptr;
    }
    if (!run())
        QApplication::quit();
}

void StartUp::showProperties(QWidget *parent, bool modal)
{
    auto *dialog = new frmProperties(m_state, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmProperties::saved, this, &StartUp::restart, Qt::QueuedConnection);
    if (modal) {
        dialog->exec();
    } else {
        dialog->setWindowModality(Qt::NonModal);
        dialog->show();
    }
}

void StartUp::showMain()
{
    if (!m_main) {
        m_main = new frmMain(m_state);
        emit mainWindowShown(m_main);
    }
    m_main->show();
    m_main->raise();
    m_main->activateWindow();
}

void StartUp::showLogin()
{
    if (!m_login) {
        m_login = new frmLogin(m_state);
        connect(m_login, &frmLogin::loggedIn, this, &StartUp::showMain);
        connect(m_login, &frmLogin::propertiesRequested, this, [this] { showProperties(m_login, true); });
    }
    m_login->show();
    m_login->raise();
    m_login->activateWindow();
}

} // namespace bc
