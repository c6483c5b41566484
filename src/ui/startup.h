#pragma once

#include "frmlogin.h"
#include "frmmain.h"

#include <QObject>
#include <QPointer>

namespace bc {

struct AppState;

// Names the program, its version and icon, for the settings, the desktop and
// message boxes without a title of their own. No separate display name is
// set: the window system would append it to every window and message title.
void nameApplication();

// The start-up sequence: open the book named by the settings file (asking
// again through the database and printer dialog until it opens or the user
// gives up), load the book's settings, then show the login or main window.
class StartUp : public QObject {
    Q_OBJECT
public:
    explicit StartUp(AppState &state, QObject *parent = nullptr);
    ~StartUp() override;

    // Returns false when the user gave up (or the settings could not be
    // read): no window is open and the program should end.
    bool run();

    // Closes the login and main windows and runs the sequence again, after
    // the database and printer dialog has saved new settings.
    void restart();

    int OpenDatabase();
    bool LoadSystemSettings();
    void ReadPrinterSettings();

    frmMain *mainWindow() const { return m_main; }
    frmLogin *loginWindow() const { return m_login; }

    // Opens the database and printer dialog; a save there restarts start-up.
    void showProperties(QWidget *parent, bool modal);

signals:
    void mainWindowShown(bc::frmMain *window);

private:
    void showMain();
    void showLogin();

    AppState &m_state;
    QPointer<frmMain> m_main;
    QPointer<frmLogin> m_login;
};

} // namespace bc
