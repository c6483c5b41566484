#include "frmimportstatement.h"

#include "accounts.h"
#include "appstate.h"
#include "autobackup.h"
#include "columnfitter.h"
#include "csvmappings.h"
#include "csvstatement.h"
#include "datagrid.h"
#include "dberror.h"
#include "dlgcsvmappings.h"
#include "dlgimportrules.h"
#include "legiblecolour.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "statementreader.h"
#include "waitcursor.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bc {

namespace {

const QString Title = QStringLiteral("Import Statement");
const QString UncategorisedName = QStringLiteral("Uncategorised");

RowArray makeImportRows()
{
    return RowArray({CellType::Date, CellType::Text, CellType::Text, CellType::Money, CellType::Int, CellType::Int});
}

QList<GridColumn> importColumns(const QString &dateFormat)
{
    using F = GridColumn::Format;
    QList<GridColumn> c(ImportCol::Count);
    c[ImportCol::Date] = GridColumn::shown(QStringLiteral("Date"), F::Date);
    c[ImportCol::Date].datePattern = dateFormat;
    c[ImportCol::Payee] = GridColumn::shown(QStringLiteral("Payee"), F::Plain);
    c[ImportCol::Memo] = GridColumn::shown(QStringLiteral("Memo"), F::Plain);
    c[ImportCol::Amount] = GridColumn::shown(QStringLiteral("Amount"), F::Standard);
    c[ImportCol::Status] = GridColumn::shown(QStringLiteral("Status"), F::ValueList, true);
    for (ImportStatus s : {ImportStatus::New, ImportStatus::Duplicate, ImportStatus::Matched, ImportStatus::Skipped,
                           ImportStatus::Imported})
        c[ImportCol::Status].valueList.append({qint64(s), importStatusText(s)});
    c[ImportCol::Counter] = GridColumn::shown(QStringLiteral("Counter-account"), F::ValueList, true);
    return c;
}

} // namespace

frmImportStatement::frmImportStatement(AppState &state, QWidget *parent)
    : QWidget(parent)
    , grdLines(new DataGrid(new RowArrayModel(makeImportRows(), importColumns(state.dateFormat())), this))
    , m_state(state)
    , m_model(grdLines->rowModel())
{
    setObjectName(QStringLiteral("frmImportStatement"));
    setWindowTitle(Title);
    resize(900, 560);
    buildControls();
    loadLists();
}

frmImportStatement::~frmImportStatement()
{
    grdLines->dropOpenEditor();
}

void frmImportStatement::buildControls()
{
    txtFile = new QLineEdit(this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    cmdBrowse = makeButton(this, "cmdBrowse", QStringLiteral("…"));
    cboAccount = makeChoiceBox(this, "cboAccount");
    cboFormat = makeChoiceBox(this, "cboFormat");
    cboFormat->addItem(QStringLiteral("OFX / QFX"), int(StatementFormat::Ofx));
    cboFormat->addItem(QStringLiteral("QIF"), int(StatementFormat::Qif));
    cboFormat->addItem(QStringLiteral("CAMT.053"), int(StatementFormat::Camt053));
    cboFormat->addItem(QStringLiteral("CSV"), int(StatementFormat::Csv));
    cboDateOrder = makeChoiceBox(this, "cboDateOrder");
    cboDateOrder->addItem(QStringLiteral("From the file"), -1);
    cboDateOrder->addItem(QStringLiteral("Day Month Year"), int(DateOrder::DayMonthYear));
    cboDateOrder->addItem(QStringLiteral("Month Day Year"), int(DateOrder::MonthDayYear));
    cboDateOrder->addItem(QStringLiteral("Year Month Day"), int(DateOrder::YearMonthDay));
    cboMapping = makeChoiceBox(this, "cboMapping");
    cmdMappings = makeButton(this, "cmdMappings", QStringLiteral("Ma&ppings…"));
    cboUncategorised = makeChoiceBox(this, "cboUncategorised");

    auto *fields = new QGridLayout;
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(txtFile, 1);
    fileRow->addWidget(cmdBrowse);
    auto *fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(txtFile);
    fields->addWidget(fileLabel, 0, 0);
    fields->addLayout(fileRow, 0, 1, 1, 3);
    addCaptioned(fields, 1, 0, QStringLiteral("Acco&unt:"), cboAccount);
    addCaptioned(fields, 1, 2, QStringLiteral("F&ormat:"), cboFormat);
    addCaptioned(fields, 2, 0, QStringLiteral("Uncate&gorised:"), cboUncategorised);
    addCaptioned(fields, 2, 2, QStringLiteral("&Dates:"), cboDateOrder);
    addCaptioned(fields, 3, 2, QStringLiteral("CSV &mapping:"), cboMapping);
    fields->addWidget(cmdMappings, 3, 4);

    m_model->setAdding(false);
    m_model->setEditable(true);
    grdLines->setObjectName(QStringLiteral("grdLines"));
    grdLines->setAccessibleName(QStringLiteral("Statement lines"));
    reportUnlistedEntries(m_state, grdLines);
    grdLines->beforeDelete = [](int) { return false; };
    connect(m_model, &RowArrayModel::cellUpdated, this, &frmImportStatement::lineEdited);
    // Payee and memo share the room the other columns leave; a text cut
    // short shows whole as the cell's tip.
    new ColumnFitter(grdLines, {ImportCol::Payee, ImportCol::Memo});
    m_model->cellTip = [this](int row, int column) {
        if (column != ImportCol::Payee && column != ImportCol::Memo)
            return QString();
        return m_model->rows().textAt(row, column);
    };

    lblTotals = makeLabel(this, "lblTotals", QString());
    lblBalance = makeLabel(this, "lblBalance", QString());
    lblDifference = makeLabel(this, "lblDifference", QString());
    setTextColour(lblDifference, Qt::red);
    cmdRules = makeButton(this, "cmdRules", QStringLiteral("&Rules…"));
    cmdApply = makeButton(this, "cmdApply", QStringLiteral("&Apply"));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdRules);
    buttons->addStretch(1);
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(grdLines, 1);
    layout->addWidget(lblTotals);
    layout->addWidget(lblBalance);
    layout->addWidget(lblDifference);
    layout->addLayout(buttons);
    setTabOrder(txtFile, cmdBrowse);
    setTabOrder(cmdBrowse, cboAccount);
    setTabOrder(cboAccount, cboFormat);
    setTabOrder(cboFormat, cboUncategorised);
    setTabOrder(cboUncategorised, cboDateOrder);
    setTabOrder(cboDateOrder, cboMapping);
    setTabOrder(cboMapping, cmdMappings);
    setTabOrder(cmdMappings, grdLines);

    connect(txtFile, &QLineEdit::editingFinished, this, &frmImportStatement::readFile);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmImportStatement::chooseFile);
    for (QComboBox *box : {cboFormat, cboDateOrder, cboMapping})
        connect(box, &QComboBox::activated, this, &frmImportStatement::readStatementData);
    connect(cboAccount, &QComboBox::activated, this, &frmImportStatement::startAfresh);
    connect(cboUncategorised, &QComboBox::activated, this, &frmImportStatement::refreshPreview);
    connect(cmdMappings, &QPushButton::clicked, this, &frmImportStatement::editMappings);
    connect(cmdApply, &QPushButton::clicked, this, &frmImportStatement::apply);
    cmdApply->setEnabled(m_state.book.mayWrite());
    connect(cmdRules, &QPushButton::clicked, this, &frmImportStatement::editRules);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmImportStatement::loadLists()
{
    const qint64 account = chosenId(cboAccount), uncategorised = chosenId(cboUncategorised);
    const QString mapping = cboMapping->currentData().toString();
    cboAccount->clear();
    cboUncategorised->clear();
    cboMapping->clear();
    cboUncategorised->addItem(QStringLiteral("(none)"), qint64(0));
    cboMapping->addItem(QStringLiteral("(guessed from the file)"), QString());
    QList<QPair<QVariant, QString>> values;
    try {
        for (const IdName &a : accountNames(m_state.book)) {
            cboAccount->addItem(a.name, a.id);
            cboUncategorised->addItem(a.name, a.id);
            values.append({a.id, a.name});
        }
        for (const QString &name : csvMappingNames(m_state.book))
            cboMapping->addItem(name, name);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    m_model->column(ImportCol::Counter).valueList = values;
    cboAccount->setCurrentIndex(std::max(0, cboAccount->findData(account)));
    cboMapping->setCurrentIndex(std::max(0, cboMapping->findData(mapping)));
    const int named = cboUncategorised->findText(UncategorisedName, Qt::MatchFixedString);
    cboUncategorised->setCurrentIndex(uncategorised ? cboUncategorised->findData(uncategorised) : std::max(0, named));
}

qint64 frmImportStatement::chosenId(const QComboBox *box) const
{
    return box->currentIndex() < 0 ? 0 : box->currentData().toLongLong();
}

void frmImportStatement::chooseFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Bank statement"), QFileInfo(txtFile->text()).path(),
                                     QStringLiteral("Bank statements (*.ofx *.qfx *.qif *.xml *.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    txtFile->setText(path);
    readFile();
}

void frmImportStatement::readFile()
{
    const QString path = txtFile->text().trimmed();
    if (path.isEmpty() || path == m_readPath)
        return;
    m_readPath = path;
    m_statement.reset();
    m_data.clear();
    {
        WaitCursor wait;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            m_data = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            m_state.messages->critical(this, Title,
                                       QStringLiteral("\"%1\" cannot be read: %2").arg(path, file.errorString()));
            refreshPreview();
            return;
        }
    }
    if (const auto format = detectStatementFormat(m_data, QFileInfo(path).fileName()))
        cboFormat->setCurrentIndex(cboFormat->findData(int(*format)));
    readStatementData();
}

void frmImportStatement::readStatementData()
{
    const auto format = StatementFormat(cboFormat->currentData().toInt());
    cboDateOrder->setEnabled(format == StatementFormat::Qif || format == StatementFormat::Csv);
    cboMapping->setEnabled(format == StatementFormat::Csv);
    m_statement.reset();
    m_written.clear();
    if (!m_data.isEmpty()) {
        WaitCursor wait;
        StatementReadOptions options;
        if (const int order = cboDateOrder->currentData().toInt(); order >= 0)
            options.qifDateOrder = DateOrder(order);
        try {
            const QString mapping = cboMapping->currentData().toString();
            options.csv = mapping.isEmpty() ? guessCsvMappingForImport(m_data, options.qifDateOrder)
                                            : loadCsvMapping(m_state.book, mapping).value_or(CsvMapping());
            m_statement = readStatement(m_data, format, options);
        } catch (const StatementError &e) {
            m_state.messages->critical(this, Title, e.text());
        } catch (const DbError &e) {
            reportDbFailure(m_state, this, e.description());
        }
    }
    refreshPreview();
}

void frmImportStatement::refreshPreview()
{
    m_preview = StatementPreview();
    if (m_statement && chosenId(cboAccount)) {
        WaitCursor wait;
        try {
            m_preview = previewImport(m_state.book, *m_statement, chosenId(cboAccount), chosenId(cboUncategorised));
            showWritten(m_preview, m_written);
        } catch (const DbError &e) {
            reportDbFailure(m_state, this, e.description());
        }
    }
    showLines();
}

void frmImportStatement::showLines()
{
    RowArray &rows = m_model->rows();
    rows = makeImportRows();
    for (const PreviewLine &l : m_preview.lines) {
        const int r = rows.appendRow();
        rows.setDate(r, ImportCol::Date, l.line.date);
        rows.setText(r, ImportCol::Payee, l.line.payee);
        rows.setText(r, ImportCol::Memo, l.line.memo);
        rows.setMoney(r, ImportCol::Amount, l.line.amount);
        rows.setInt(r, ImportCol::Status, qint64(l.status));
        if (l.counterAccountId)
            rows.setInt(r, ImportCol::Counter, l.counterAccountId);
    }
    m_model->rebind();
    showTotals();
}

void frmImportStatement::showTotals()
{
    lblTotals->clear();
    lblBalance->clear();
    lblDifference->clear();
    if (m_preview.accountId == 0)
        return;
    try {
        const ImportTotals t = importTotals(m_preview);
        // Each count by the word its lines bear in the Status column.
        QStringList counts{QStringLiteral("In: %1").arg(t.moneyIn.toStandard()),
                           QStringLiteral("Out: %1").arg(t.moneyOut.toStandard())};
        const std::pair<ImportStatus, int> byStatus[] = {{ImportStatus::New, t.added},
                                                         {ImportStatus::Imported, t.imported},
                                                         {ImportStatus::Duplicate, t.duplicates},
                                                         {ImportStatus::Matched, t.matched},
                                                         {ImportStatus::Skipped, t.skipped}};
        for (const auto &[status, count] : byStatus)
            if (count > 0 || status != ImportStatus::Imported)
                counts << QStringLiteral("%1: %2").arg(importStatusText(status)).arg(count);
        lblTotals->setText(counts.join(QStringLiteral("    ")));
        QString balance = QStringLiteral("Balance after import: %1").arg(t.balanceAfter.toStandard());
        if (m_preview.closingBalance) {
            balance += QStringLiteral("    Statement closing balance: %1").arg(m_preview.closingBalance->toStandard());
            if (*m_preview.closingBalance != t.balanceAfter)
                lblDifference->setText(
                    QStringLiteral("Difference: %1").arg((*m_preview.closingBalance - t.balanceAfter).toStandard()));
        }
        lblBalance->setText(balance);
    } catch (const DbError &e) {
        lblTotals->setText(e.description());
    }
}

void frmImportStatement::lineEdited(int row, int column)
{
    if (row < 0 || std::size_t(row) >= m_preview.lines.size())
        return;
    PreviewLine &line = m_preview.lines[std::size_t(row)];
    RowArray &rows = m_model->rows();
    if (column == ImportCol::Counter) {
        line.counterAccountId = rows.intAt(row, ImportCol::Counter);
    } else if (column == ImportCol::Status) {
        const auto wanted = ImportStatus(rows.intAt(row, ImportCol::Status));
        // A line can be matched only to the transaction found for it, and is
        // a duplicate only when it was imported before.
        const bool possible = (wanted != ImportStatus::Matched || line.matchedTranId)
            && (wanted != ImportStatus::Duplicate || line.importedBefore)
            && (wanted != ImportStatus::Imported || m_written.value(line.key) == ImportStatus::Imported);
        if (possible)
            line.status = wanted;
        else
            rows.setInt(row, ImportCol::Status, qint64(line.status));
    }
    showTotals();
}

bool frmImportStatement::placeUnplacedLines()
{
    const bool unplaced = std::any_of(m_preview.lines.begin(), m_preview.lines.end(), [](const PreviewLine &l) {
        return l.status == ImportStatus::New && l.counterAccountId == 0;
    });
    if (!unplaced || cboUncategorised->findText(UncategorisedName, Qt::MatchFixedString) >= 0)
        return true;
    if (m_state.messages->question(this, Title,
                                   QStringLiteral("No rule places some lines and the book has no account named "
                                                  "\"Uncategorised\". Create it for them?"))
        != QMessageBox::Yes)
        return true;
    RowArray accounts = makeAccountRows();
    const int r = accounts.appendRow();
    accounts.setInt(r, AccountCol::Id, 0);
    accounts.setText(r, AccountCol::Name, UncategorisedName);
    accounts.setInt(r, AccountCol::Type, 3);
    accounts.setMoney(r, AccountCol::Opening, Money());
    accounts.setEditMark(r, AccountCol::Status, EditMark::Changed);
    const AccountSaveResult saved = saveAccounts(m_state.book, accounts, m_state.today());
    if (!saved.ok()) {
        m_state.messages->critical(this, saved.title, saved.text);
        return false;
    }
    const qint64 id = saved.savedIds.value(0);
    loadLists();
    cboUncategorised->setCurrentIndex(cboUncategorised->findData(id));
    for (PreviewLine &l : m_preview.lines)
        if (l.counterAccountId == 0)
            l.counterAccountId = id;
    showLines();
    return true;
}

void frmImportStatement::apply()
{
    grdLines->commitEdit();
    if (m_preview.accountId == 0) {
        m_state.messages->information(this, Title, QStringLiteral("Choose a statement and an account first."));
        return;
    }
    if (!placeUnplacedLines())
        return;
    ImportResult result;
    {
        WaitCursor wait;
        const QDateTime now = m_state.now();
        try {
            backUpBeforeImport(m_state.book, importTotals(m_preview).added, m_state.backupsFolder(), now);
        } catch (const DbError &e) {
            m_state.messages->critical(this, Title,
                                       QStringLiteral("Nothing was imported: the copy made before a large import "
                                                      "failed.\n%1")
                                           .arg(e.description()));
            return;
        }
        result = applyImport(m_state.book, m_preview, now);
    }
    if (!result.ok) {
        m_state.messages->critical(this, Title, result.text);
        return;
    }
    m_state.messages->information(this, Title,
                                  QStringLiteral("%1 rows added, %2 matched, %3 skipped, %4 already in the book.")
                                      .arg(result.added)
                                      .arg(result.matched)
                                      .arg(result.skipped)
                                      .arg(result.duplicates));
    m_written.insert(result.written);
    refreshPreview();
    emit m_state.notifier.bookChanged(this);
}

void frmImportStatement::startAfresh()
{
    m_written.clear();
    refreshPreview();
}

void frmImportStatement::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmImportStatement::editMappings()
{
    grdLines->commitEdit();
    dlgCsvMappings dialog(m_state, this, m_readPath, cboMapping->currentData().toString());
    dialog.exec();
    const QString chosen = dialog.chosenName().isEmpty() ? cboMapping->currentData().toString() : dialog.chosenName();
    loadLists();
    cboMapping->setCurrentIndex(std::max(0, cboMapping->findData(chosen)));
    if (StatementFormat(cboFormat->currentData().toInt()) == StatementFormat::Csv)
        readStatementData();
}

void frmImportStatement::editRules()
{
    grdLines->commitEdit();
    dlgImportRules dialog(m_state, this);
    if (dialog.exec() == QDialog::Accepted)
        refreshPreview();
}

} // namespace bc
