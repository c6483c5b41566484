#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;

// The login window shown at start-up when a user name or password is set.
class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(AppState &state, QWidget *parent = nullptr);

    QGroupBox *fraLogin;
    QLineEdit *txtUserName;
    QLineEdit *txtPassWord;
    QPushButton *cmdLogin;
    QPushButton *cmdCancel;
    QPushButton *cmdProperties;

signals:
    void loggedIn();
    void propertiesRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void login();
    AppState &m_state;
};

} // namespace bc
