#pragma once

#include "statement.h"

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace bc {

struct AppState;
class DataGrid;

// The CSV mappings saved in the book: how each bank's CSV file is read. The
// list names them; the fields show the chosen one, to change and save (under
// its name, or another to copy it); New starts one from a guess at the sample
// file; Delete removes the chosen one after asking. The grid shows the first
// 20 lines of the sample file as the fields read them, with the reason where
// a line does not read. Columns are numbered from 1 as a spreadsheet shows
// them.
class dlgCsvMappings : public QDialog {
    Q_OBJECT
public:
    // samplePath: a file to show the mappings on (may be empty); selected: the
    // mapping to show first.
    dlgCsvMappings(AppState &state, QWidget *parent, const QString &samplePath = {}, const QString &selected = {});

    // The mapping last shown or saved, for the window that opened this one.
    QString chosenName() const { return m_chosen; }

    QListWidget *lstMappings;
    QLineEdit *txtName;
    QComboBox *cboSeparator;
    QComboBox *cboEncoding;
    QSpinBox *spnHeaderRows;
    QSpinBox *spnDate;
    QLineEdit *txtDatePattern;
    QSpinBox *spnAmount;
    QSpinBox *spnDebit;
    QSpinBox *spnCredit;
    QComboBox *cboDecimal;
    QLineEdit *txtThousands;
    QLineEdit *txtCurrency;
    QCheckBox *chkParentheses;
    QSpinBox *spnPayee;
    QSpinBox *spnMemo;
    QLineEdit *txtSample;
    QPushButton *cmdBrowse;
    DataGrid *grdPreview;
    QLabel *lblPreview;
    QPushButton *cmdNew;
    QPushButton *cmdSave;
    QPushButton *cmdDelete;
    QPushButton *cmdClose;

private:
    void buildControls();
    void loadNames(const QString &select);
    void showMapping(const CsvMapping &mapping);
    CsvMapping mappingShown() const;
    void mappingChosen();
    void readSample();
    void chooseSample();
    void refreshPreview();
    void startNew();
    void save();
    void remove();

    AppState &m_state;
    QByteArray m_sample;
    QString m_samplePath;
    QString m_chosen;
    bool m_showing = false; // the fields are being filled, not edited
};

} // namespace bc
