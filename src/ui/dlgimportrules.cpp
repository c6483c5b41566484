#include "dlgimportrules.h"

#include "accounts.h"
#include "appstate.h"
#include "datagrid.h"
#include "dberror.h"
#include "importrules.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace bc {

namespace {

namespace RuleCol {
enum : int { Field, Contains, Account, Count };
}

QList<GridColumn> ruleColumns(const QList<IdName> &accounts)
{
    using F = GridColumn::Format;
    QList<GridColumn> c(RuleCol::Count);
    c[RuleCol::Field] = GridColumn::shown(QStringLiteral("Field"), F::ValueList, true);
    c[RuleCol::Field].valueList = {{qint64(ImportRule::Field::Payee), QStringLiteral("Payee")},
                                   {qint64(ImportRule::Field::Memo), QStringLiteral("Memo")}};
    c[RuleCol::Contains] = GridColumn::shown(QStringLiteral("Contains"), F::Plain, true);
    c[RuleCol::Account] = GridColumn::shown(QStringLiteral("Account"), F::ValueList, true);
    for (const IdName &a : accounts)
        c[RuleCol::Account].valueList.append({a.id, a.name});
    return c;
}

} // namespace

dlgImportRules::dlgImportRules(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("dlgImportRules"));
    setWindowTitle(QStringLiteral("Import Rules"));
    resize(560, 320);
    QList<IdName> accounts;
    RowArray rows({CellType::Int, CellType::Text, CellType::Int});
    try {
        accounts = accountNames(state.book);
        for (const ImportRule &rule : loadImportRules(state.book)) {
            const int r = rows.appendRow();
            rows.setInt(r, RuleCol::Field, qint64(rule.field));
            rows.setText(r, RuleCol::Contains, rule.contains);
            rows.setInt(r, RuleCol::Account, rule.accountId);
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    grdRules = new DataGrid(new RowArrayModel(rows, ruleColumns(accounts)), this);
    grdRules->setObjectName(QStringLiteral("grdRules"));
    grdRules->rowModel()->setEditable(true);
    reportUnlistedEntries(m_state, grdRules);
    connect(grdRules->rowModel(), &RowArrayModel::rowAdded, this,
            [this](int row) { grdRules->rows().setInt(row, RuleCol::Field, qint64(ImportRule::Field::Payee)); });
    cmdSave = makeButton(this, "cmdSave", QStringLiteral("&Save"));
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grdRules, 1);
    layout->addLayout(buttons);
    connect(cmdSave, &QPushButton::clicked, this, &dlgImportRules::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void dlgImportRules::save()
{
    grdRules->commitEdit();
    const RowArray &rows = grdRules->rows();
    QList<ImportRule> rules;
    for (int r = 0; r < rows.rowCount(); ++r)
        rules.append({ImportRule::Field(rows.intAt(r, RuleCol::Field)), rows.textAt(r, RuleCol::Contains).trimmed(),
                      rows.intAt(r, RuleCol::Account)});
    try {
        saveImportRules(m_state.book, rules);
    } catch (const DbError &e) {
        m_state.messages->critical(this, QStringLiteral("Import Rules"), e.description());
        return;
    }
    accept();
}

} // namespace bc
