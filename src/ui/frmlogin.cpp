#include "frmlogin.h"

#include "appstate.h"
#include "screenparts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bc {

frmLogin::frmLogin(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Brindlecot Login"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(QIcon(QStringLiteral(":/ui/brindlecot.png")).pixmap(64, 64));

    fraLogin = new QGroupBox(QStringLiteral("Login Information"), this);
    fraLogin->setObjectName(QStringLiteral("fraLogin"));
    txtUserName = new QLineEdit(fraLogin);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtUserName->setMaxLength(10);
    txtPassWord = new QLineEdit(fraLogin);
    txtPassWord->setObjectName(QStringLiteral("txtPassWord"));
    txtPassWord->setMaxLength(10);
    makePasswordBox(txtPassWord);
    auto *userLabel = new QLabel(QStringLiteral("Username"), fraLogin);
    userLabel->setBuddy(txtUserName);
    auto *passLabel = new QLabel(QStringLiteral("Password"), fraLogin);
    passLabel->setBuddy(txtPassWord);
    auto *grid = new QGridLayout(fraLogin);
    grid->addWidget(userLabel, 0, 0);
    grid->addWidget(txtUserName, 0, 1);
    grid->addWidget(passLabel, 1, 0);
    grid->addWidget(txtPassWord, 1, 1);

    cmdLogin = new QPushButton(QStringLiteral("&Login"), this);
    cmdLogin->setObjectName(QStringLiteral("cmdLogin"));
    cmdLogin->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    cmdProperties = new QPushButton(QStringLiteral("DB && &Printer Settings"), this);
    cmdProperties->setObjectName(QStringLiteral("cmdProperties"));
    cmdProperties->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addWidget(fraLogin, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdLogin);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdProperties);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setTabOrder(txtUserName, txtPassWord);
    setTabOrder(txtPassWord, cmdLogin);
    setTabOrder(cmdLogin, cmdCancel);
    setTabOrder(cmdCancel, cmdProperties);
    txtUserName->setFocus();

    connect(cmdLogin, &QPushButton::clicked, this, &frmLogin::login);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdProperties, &QPushButton::clicked, this, &frmLogin::propertiesRequested);
}

void frmLogin::login()
{
    // Exact comparison: case matters and typed blanks count.
    if (txtPassWord->text() == m_state.settings.password && txtUserName->text() == m_state.settings.userName) {
        emit loggedIn();
        close();
        return;
    }
    m_state.messages->critical(this, QStringLiteral("Login failed"), QStringLiteral("Invalid user name & password."));
    txtUserName->clear();
    txtPassWord->clear();
    txtUserName->setFocus();
}

} // namespace bc

namespace bc {

void frmLogin::keyPressEvent(QKeyEvent *event)
{
    // Escape presses "DB & Printer Settings" rather than closing the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdProperties->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace bc
