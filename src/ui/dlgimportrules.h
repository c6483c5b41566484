#pragma once

#include <QDialog>

class QPushButton;

namespace bc {

struct AppState;
class DataGrid;

// The rules that choose an imported line's counter-account, one per grid row
// in the order they are tried: the field looked in (Payee or Memo), the text
// it must contain and the account. Save writes them to the book.
class dlgImportRules : public QDialog {
    Q_OBJECT
public:
    dlgImportRules(AppState &state, QWidget *parent);

    DataGrid *grdRules;
    QPushButton *cmdSave;
    QPushButton *cmdCancel;

private:
    void save();
    AppState &m_state;
};

} // namespace bc
