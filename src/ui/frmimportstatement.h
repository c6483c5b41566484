#pragma once

#include "screenparts.h"
#include "statement.h"
#include "statementimport.h"

#include <QByteArray>
#include <QWidget>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bc {

struct AppState;
class DataGrid;
class RowArrayModel;

// The columns of the import grid's row array.
namespace ImportCol {
enum : int { Date, Payee, Memo, Amount, Status, Counter, Count };
}

// Import Statement: reads a bank's statement, shows what would become of each
// line (new, duplicate, matched or skipped, and the counter-account), lets
// the user change the status and counter-account of any line, and writes it
// all in one transaction on Apply. Nothing is written before Apply.
class frmImportStatement : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmImportStatement(AppState &state, QWidget *parent = nullptr);

    QLineEdit *txtFile;
    QPushButton *cmdBrowse;
    QComboBox *cboAccount;
    QComboBox *cboFormat;
    QComboBox *cboDateOrder;
    QComboBox *cboMapping;
    QComboBox *cboUncategorised;
    DataGrid *grdLines;
    QLabel *lblTotals;
    QLabel *lblBalance;
    QLabel *lblDifference;
    QPushButton *cmdRules;
    QPushButton *cmdApply;
    QPushButton *cmdClose;

    // Another window's save, or an undo, changed the book: the lines are
    // sorted afresh, so none shows a status the book no longer bears out.
    void reloadRows() override { refreshPreview(); }

private:
    void buildControls();
    void loadLists();
    void chooseFile();
    void readFile();
    void readStatementData();
    void refreshPreview();
    void showLines();
    void showTotals();
    void lineEdited(int row, int column);
    bool placeUnplacedLines();
    void apply();
    void editRules();
    qint64 chosenId(const QComboBox *box) const;

    AppState &m_state;
    RowArrayModel *m_model;
    QString m_readPath;
    QByteArray m_data;
    std::optional<Statement> m_statement;
    StatementPreview m_preview;
};

} // namespace bc
