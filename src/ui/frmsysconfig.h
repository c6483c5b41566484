#pragma once

#include <QDate>
#include <QHash>

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bc {

struct AppState;
class DateEntry;

// The configuration window: edits the book's settings (login, financial
// year, currency, date format) and the folder of the automatic backups,
// which the settings file keeps. A save rewrites them all at once and reloads
// the program-wide values, so later work uses the new settings.
class frmSysConfig : public QWidget {
    Q_OBJECT
public:
    explicit frmSysConfig(AppState &state, QWidget *parent = nullptr);

    QGroupBox *fraUser;
    QLineEdit *txtUserName;
    QLineEdit *txtPassword;
    QLineEdit *txtPassAgain;
    QGroupBox *fraFinYear;
    DateEntry *dtpStartDate;
    DateEntry *dtpEndDate;
    // The book closed through a day: no transaction on or before it can be
    // added, changed or deleted.
    QCheckBox *chkClosed;
    DateEntry *dtpClosedThrough;
    QGroupBox *Frame1;
    QLineEdit *txtCurr;
    QLineEdit *txtBackups; // where the automatic backups go
    QPushButton *cmdBackups; // "…": picks that folder in a dialog
    QGroupBox *Frame2;
    QRadioButton *optDayFirst;
    QRadioButton *optMonthFirst;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;
    QPushButton *cmdProperties;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void loadSettings();
    void setPickerFormat(const QString &format);
    void pickBackupsFolder();
    // Writes a changed backups folder to the settings file; false when that
    // failed (already reported).
    bool saveBackupsFolder();
    void save();

    AppState &m_state;
    // Whether the book has the year date or the user has changed the picker;
    // a date shown only as a suggestion is not saved.
    bool m_startSet = false;
    bool m_endSet = false;
    // The versions of the settings shown, checked by Save.
    QHash<QString, qint64> m_loadedVersions;
};

} // namespace bc
