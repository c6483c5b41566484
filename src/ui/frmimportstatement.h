#pragma once

#include "bookrowsscreen.h"
#include "statement.h"
#include "statementimport.h"

#include <QByteArray>
#include <QHash>
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
// all in one transaction on Apply. Nothing is written before Apply; after
// it the lines show what was written (Imported, Matched, Skipped) with the
// counter-accounts used.
class frmImportStatement : public QWidget, public BookRowsScreen {
    Q_OBJECT
public:
    explicit frmImportStatement(AppState &state, QWidget *parent = nullptr);
    ~frmImportStatement() override;

    QLineEdit *txtFile;
    QPushButton *cmdBrowse;
    QComboBox *cboAccount;
    QComboBox *cboFormat;
    QComboBox *cboDateOrder;
    QComboBox *cboMapping;
    QPushButton *cmdMappings;
    QComboBox *cboUncategorised;
    DataGrid *grdLines;
    QLabel *lblTotals;
    QLabel *lblBalance;
    QLabel *lblDifference;
    QPushButton *cmdRules;
    QPushButton *cmdApply;
    QPushButton *cmdClose;

    // Another window's save, or an undo, changed the book: the lists are
    // read again and the lines sorted afresh, so none shows a status the
    // book no longer bears out.
    void reloadRows() override
    {
        loadLists();
        refreshPreview();
    }

protected:
    // Escape closes the window, as Close does.
    void keyPressEvent(QKeyEvent *event) override;

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
    void editMappings();
    void startAfresh();
    qint64 chosenId(const QComboBox *box) const;

    AppState &m_state;
    RowArrayModel *m_model;
    QString m_readPath;
    QByteArray m_data;
    std::optional<Statement> m_statement;
    StatementPreview m_preview;
    // The lines this window's Apply wrote, by key, shown as written until
    // another statement or account is chosen.
    QHash<QString, ImportStatus> m_written;
};

} // namespace bc
