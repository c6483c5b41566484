#include "frmsysconfig.h"

#include "appstate.h"
#include "dateentry.h"
#include "dates.h"
#include "dberror.h"
#include "screenmessages.h"
#include "screenparts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bc {

namespace {

// The login window takes at most this many characters; a longer name or
// password saved here could never be typed there.
constexpr int LoginTextLength = 10;

QLineEdit *textBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

void addRow(QGridLayout *grid, const QString &label, QWidget *field)
{
    const int row = grid->rowCount();
    auto *text = new QLabel(label, field->parentWidget());
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1);
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmSysConfig::frmSysConfig(AppState &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("frmSysConfig"));
    setWindowTitle(QStringLiteral("Configurations"));
    setWindowIcon(QIcon(QStringLiteral(":/ui/brindlecot.png")));
    buildControls();

    connect(optDayFirst, &QRadioButton::clicked, this,
            [this] { setPickerFormat(QString::fromLatin1(DayFirstFormat)); });
    connect(optMonthFirst, &QRadioButton::clicked, this,
            [this] { setPickerFormat(QString::fromLatin1(MonthFirstFormat)); });
    connect(cmdBackups, &QPushButton::clicked, this, &frmSysConfig::pickBackupsFolder);
    connect(cmdSave, &QPushButton::clicked, this, &frmSysConfig::save);
    cmdSave->setEnabled(m_state.book.mayWrite());
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdProperties, &QPushButton::clicked, this, [this] {
        if (m_state.showProperties)
            m_state.showProperties(this, false);
    });

    pressDefaultOnEnter(this, cmdSave);
    loadSettings();
    txtUserName->setFocus();
}

void frmSysConfig::buildControls()
{
    fraUser = frame(this, "fraUser", QStringLiteral("Login"));
    txtUserName = textBox(fraUser, "txtUserName");
    txtPassword = textBox(fraUser, "txtPassword");
    txtPassAgain = textBox(fraUser, "txtPassAgain");
    for (QLineEdit *box : {txtUserName, txtPassword, txtPassAgain})
        box->setMaxLength(LoginTextLength);
    makePasswordBox(txtPassword);
    makePasswordBox(txtPassAgain);
    auto *userGrid = new QGridLayout(fraUser);
    addRow(userGrid, QStringLiteral("Username"), txtUserName);
    addRow(userGrid, QStringLiteral("Password"), txtPassword);
    addRow(userGrid, QStringLiteral("Password Again"), txtPassAgain);

    fraFinYear = frame(this, "fraFinYear", QStringLiteral("Financial Term"));
    dtpStartDate = new DateEntry(fraFinYear);
    dtpStartDate->setObjectName(QStringLiteral("dtpStartDate"));
    dtpEndDate = new DateEntry(fraFinYear);
    dtpEndDate->setObjectName(QStringLiteral("dtpEndDate"));
    auto *yearGrid = new QGridLayout(fraFinYear);
    connect(dtpStartDate, &DateEntry::dateChanged, this, [this] { m_startSet = true; });
    connect(dtpEndDate, &DateEntry::dateChanged, this, [this] { m_endSet = true; });
    addRow(yearGrid, QStringLiteral("Start Date"), dtpStartDate);
    addRow(yearGrid, QStringLiteral("End Date"), dtpEndDate);
    chkClosed = new QCheckBox(QStringLiteral("C&losed through"), fraFinYear);
    chkClosed->setObjectName(QStringLiteral("chkClosed"));
    dtpClosedThrough = new DateEntry(fraFinYear);
    dtpClosedThrough->setObjectName(QStringLiteral("dtpClosedThrough"));
    dtpClosedThrough->setAccessibleName(QStringLiteral("Closed through"));
    yearGrid->addWidget(chkClosed, yearGrid->rowCount(), 0);
    yearGrid->addWidget(dtpClosedThrough, yearGrid->rowCount() - 1, 1);
    connect(chkClosed, &QCheckBox::toggled, dtpClosedThrough, &QWidget::setEnabled);

    Frame1 = frame(this, "Frame1", QStringLiteral("Miscellaneous"));
    txtCurr = textBox(Frame1, "txtCurr");
    auto *backupsRow = new QWidget(Frame1);
    txtBackups = textBox(backupsRow, "txtBackups");
    txtBackups->setMinimumWidth(220);
    txtBackups->setAccessibleName(QStringLiteral("Backups Folder"));
    cmdBackups = button(backupsRow, "cmdBackups", QStringLiteral("…"));
    auto *backupsLine = new QHBoxLayout(backupsRow);
    backupsLine->setContentsMargins(0, 0, 0, 0);
    backupsLine->addWidget(txtBackups);
    backupsLine->addWidget(cmdBackups);
    auto *miscGrid = new QGridLayout(Frame1);
    addRow(miscGrid, QStringLiteral("Currency"), txtCurr);
    addRow(miscGrid, QStringLiteral("Backups Folder"), backupsRow);

    Frame2 = frame(this, "Frame2", QStringLiteral("Date Format"));
    optDayFirst = new QRadioButton(QStringLiteral("&dd/mm/yy"), Frame2);
    optDayFirst->setObjectName(QStringLiteral("optDayFirst"));
    optMonthFirst = new QRadioButton(QStringLiteral("&mm/dd/yy"), Frame2);
    optMonthFirst->setObjectName(QStringLiteral("optMonthFirst"));
    auto *formatBox = new QVBoxLayout(Frame2);
    formatBox->addWidget(optDayFirst);
    formatBox->addWidget(optMonthFirst);

    cmdSave = button(this, "cmdSave", QStringLiteral("&OK"));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"));
    cmdProperties = button(this, "cmdProperties", QStringLiteral("DB && &Printer Settings"));

    auto *left = new QVBoxLayout;
    left->addWidget(fraUser);
    left->addWidget(fraFinYear);
    auto *right = new QVBoxLayout;
    right->addWidget(Frame1);
    right->addWidget(Frame2);
    right->addStretch();
    auto *frames = new QHBoxLayout;
    frames->addLayout(left);
    frames->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdProperties);
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

void frmSysConfig::loadSettings()
{
    const SystemSettings &s = m_state.settings;
    m_loadedVersions = s.versions;
    txtUserName->setText(s.userName);
    txtPassword->setText(s.password);
    txtPassAgain->setText(s.password);
    // A book without a financial year shows the current calendar year; it
    // stays without one unless the user changes a date.
    const QDate today = m_state.today();
    dtpStartDate->setDate(s.finYearStart.isValid() ? s.finYearStart : QDate(today.year(), 1, 1));
    dtpEndDate->setDate(s.finYearEnd.isValid() ? s.finYearEnd : QDate(today.year(), 12, 31));
    chkClosed->setChecked(s.closedThrough.isValid());
    dtpClosedThrough->setEnabled(chkClosed->isChecked());
    dtpClosedThrough->setDate(s.closedThrough.isValid() ? s.closedThrough : QDate(today.year() - 1, 12, 31));
    m_startSet = s.finYearStart.isValid();
    m_endSet = s.finYearEnd.isValid();
    txtCurr->setText(s.currency);
    txtBackups->setText(QDir::toNativeSeparators(m_state.backupsFolder()));
    QRadioButton *option = isMonthFirst(s.dateFormat) ? optMonthFirst : optDayFirst;
    option->click();
    setPickerFormat(s.dateFormat);
}

void frmSysConfig::setPickerFormat(const QString &format)
{
    dtpStartDate->setDisplayFormat(format);
    dtpEndDate->setDisplayFormat(format);
    dtpClosedThrough->setDisplayFormat(format);
}

void frmSysConfig::pickBackupsFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Backups Folder"), txtBackups->text(),
                                                             QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty())
        txtBackups->setText(QDir::toNativeSeparators(folder));
}

bool frmSysConfig::saveBackupsFolder()
{
    const QString folder = QDir::fromNativeSeparators(txtBackups->text().trimmed());
    if (folder == m_state.backupsFolder())
        return true;
    // An empty folder, or the default one typed out, leaves the choice to the default.
    QString failure;
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        failure = QStringLiteral("The folder \"%1\" cannot be created.").arg(folder);
    else
        failure = m_state.settingsFile().writeBackupsFolder(folder == m_state.paths.defaultBackupsFolder() ? QString()
                                                                                                           : folder);
    if (failure.isEmpty())
        return true;
    m_state.messages->critical(this, QStringLiteral("Action failed"), errorText(failure));
    return false;
}

void frmSysConfig::keyPressEvent(QKeyEvent *event)
{
    // Escape, wherever the focus is in the window, presses Cancel.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmSysConfig::save()
{
    // The two password boxes must agree exactly, blanks included.
    if (txtPassAgain->text() != txtPassword->text()) {
        m_state.messages->show(this, MsgIcon::None, QStringLiteral("Error"), QStringLiteral("Password mismatch"),
                               QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    if (!datesReadable(m_state, {dtpStartDate, dtpEndDate, dtpClosedThrough}))
        return;
    SystemSettingsInput input;
    input.userName = txtUserName->text();
    input.password = txtPassword->text();
    input.finYearStart = m_startSet ? dtpStartDate->date() : QDate();
    input.finYearEnd = m_endSet ? dtpEndDate->date() : QDate();
    input.currency = txtCurr->text();
    input.monthFirst = optMonthFirst->isChecked();
    input.loadedVersions = m_loadedVersions;
    input.closedThrough = chkClosed->isChecked() ? dtpClosedThrough->date() : QDate();
    try {
        const SettingsSaveResult saved = saveSystemSettings(m_state.book, input, m_state.today());
        if (!saved.ok()) {
            if (offerReload(m_state, this, saved.title, saved.text)
                && (!m_state.reloadSystemSettings || m_state.reloadSystemSettings()))
                loadSettings();
            return;
        }
    } catch (const DbError &e) {
        // The database's own words follow "Error" directly; a fault of the
        // file is a sentence of its own and gets the usual line break.
        m_state.messages->critical(this, QStringLiteral("Action failed"),
                                   e.isUserFacing() ? errorText(e.description())
                                                    : QStringLiteral("Error") + e.description());
        return;
    }
    if (!saveBackupsFolder())
        return;
    // A failed reload has been reported already; the window stays open.
    if (m_state.reloadSystemSettings && !m_state.reloadSystemSettings())
        return;
    emit m_state.notifier.bookChanged(this);
    close();
}

} // namespace bc
