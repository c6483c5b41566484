#pragma once

#include "settingsfile.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;

// The database and printer dialog: edits the settings file. A save writes the
// file and emits saved(); whoever opened the dialog then restarts start-up.
class frmProperties : public QDialog {
    Q_OBJECT
public:
    explicit frmProperties(AppState &state, QWidget *parent = nullptr);

    QGroupBox *Frame1;
    QLabel *Label1;
    QLineEdit *TxtDBPath;
    QPushButton *CmdOpen;
    QPushButton *cmdNew;
    QGroupBox *Frame2;
    QLabel *Label2;
    QComboBox *cboPrinter;
    QPushButton *CmdDefPrn;
    QPushButton *cmdOk;
    QPushButton *cmdClose;

signals:
    void saved();

private:
    void loadPrinters();
    void loadSettingsFile();
    void selectDevice(const QString &device);
    void openBook();
    void newBook();
    void save();

    AppState &m_state;
    QList<PrinterSettings> m_printers;
    QString m_lastChosenFile;
};

} // namespace bc
