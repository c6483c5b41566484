#include "dlgcsvmappings.h"

#include "appstate.h"
#include "columnfitter.h"
#include "csvmappings.h"
#include "csvpreview.h"
#include "csvstatement.h"
#include "datagrid.h"
#include "dberror.h"
#include "rowarraymodel.h"
#include "screenmessages.h"
#include "screenparts.h"
#include "waitcursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace bc {

namespace {

const QString Title = QStringLiteral("CSV Mappings");

namespace PreviewCol {
enum : int { Line, Date, Amount, Payee, Memo, Problem, Count };
}

RowArray makePreviewRows()
{
    return RowArray({CellType::Int, CellType::Date, CellType::Money, CellType::Text, CellType::Text, CellType::Text});
}

QList<GridColumn> previewColumns(const QString &dateFormat)
{
    using F = GridColumn::Format;
    QList<GridColumn> c(PreviewCol::Count);
    c[PreviewCol::Line] = GridColumn::shown(QStringLiteral("Line"), F::Plain);
    c[PreviewCol::Date] = GridColumn::shown(QStringLiteral("Date"), F::Date);
    c[PreviewCol::Date].datePattern = dateFormat;
    c[PreviewCol::Amount] = GridColumn::shown(QStringLiteral("Amount"), F::Standard);
    c[PreviewCol::Payee] = GridColumn::shown(QStringLiteral("Payee"), F::Plain);
    c[PreviewCol::Memo] = GridColumn::shown(QStringLiteral("Memo"), F::Plain);
    c[PreviewCol::Problem] = GridColumn::shown(QStringLiteral("Problem"), F::Plain);
    return c;
}

// A column number as a spreadsheet shows it (from 1); 0 for none where a
// mapping may leave the column out.
QSpinBox *columnBox(QWidget *parent, const char *name, bool optional)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(optional ? 0 : 1, 999);
    if (optional)
        box->setSpecialValueText(QStringLiteral("(none)"));
    return box;
}

QLineEdit *textBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

dlgCsvMappings::dlgCsvMappings(AppState &state, QWidget *parent, const QString &samplePath, const QString &selected)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("dlgCsvMappings"));
    setWindowTitle(Title);
    buildControls();
    resize(900, 600);
    txtSample->setText(samplePath);
    readSample();
    loadNames(selected);
    if (lstMappings->count() == 0)
        startNew();
}

void dlgCsvMappings::buildControls()
{
    lstMappings = new QListWidget(this);
    lstMappings->setObjectName(QStringLiteral("lstMappings"));
    txtName = textBox(this, "txtName");
    cboSeparator = makeChoiceBox(this, "cboSeparator",
                                 {{QStringLiteral("Comma ,"), QStringLiteral(",")},
                                  {QStringLiteral("Semicolon ;"), QStringLiteral(";")},
                                  {QStringLiteral("Tab"), QStringLiteral("\t")},
                                  {QStringLiteral("Bar |"), QStringLiteral("|")}});
    cboEncoding = makeChoiceBox(this, "cboEncoding",
                                {{QStringLiteral("UTF-8"), int(TextEncoding::Utf8)},
                                 {QStringLiteral("Windows-1252"), int(TextEncoding::Windows1252)}});
    spnHeaderRows = new QSpinBox(this);
    spnHeaderRows->setObjectName(QStringLiteral("spnHeaderRows"));
    spnHeaderRows->setRange(0, 99);
    spnDate = columnBox(this, "spnDate", false);
    txtDatePattern = textBox(this, "txtDatePattern");
    txtDatePattern->setToolTip(QStringLiteral("d, dd: day; M, MM, MMM: month; yy, yyyy: year (\"dd.MM.yyyy\")"));
    spnAmount = columnBox(this, "spnAmount", true);
    spnDebit = columnBox(this, "spnDebit", true);
    spnCredit = columnBox(this, "spnCredit", true);
    cboDecimal = makeChoiceBox(this, "cboDecimal",
                               {{QStringLiteral("Point ."), QStringLiteral(".")},
                                {QStringLiteral("Comma ,"), QStringLiteral(",")}});
    txtThousands = textBox(this, "txtThousands");
    txtThousands->setToolTip(QStringLiteral("The characters that group thousands, a space among them if the bank "
                                            "writes \"1 234.56\""));
    txtCurrency = textBox(this, "txtCurrency");
    chkParentheses = new QCheckBox(QStringLiteral("(12.50) is ne&gative"), this);
    chkParentheses->setObjectName(QStringLiteral("chkParentheses"));
    spnPayee = columnBox(this, "spnPayee", true);
    spnMemo = columnBox(this, "spnMemo", true);
    txtSample = textBox(this, "txtSample");
    cmdBrowse = makeButton(this, "cmdBrowse", QStringLiteral("…"));

    auto *fields = new QGridLayout;
    addCaptioned(fields, 0, 0, QStringLiteral("&Name:"), txtName);
    addCaptioned(fields, 0, 2, QStringLiteral("Separat&or:"), cboSeparator);
    addCaptioned(fields, 1, 0, QStringLiteral("&Encoding:"), cboEncoding);
    addCaptioned(fields, 1, 2, QStringLiteral("&Header rows:"), spnHeaderRows);
    addCaptioned(fields, 2, 0, QStringLiteral("&Date column:"), spnDate);
    addCaptioned(fields, 2, 2, QStringLiteral("Date &pattern:"), txtDatePattern);
    addCaptioned(fields, 3, 0, QStringLiteral("&Amount column:"), spnAmount);
    addCaptioned(fields, 3, 2, QStringLiteral("Decimal mar&k:"), cboDecimal);
    addCaptioned(fields, 4, 0, QStringLiteral("De&bit column:"), spnDebit);
    addCaptioned(fields, 4, 2, QStringLiteral("&Thousands marks:"), txtThousands);
    addCaptioned(fields, 5, 0, QStringLiteral("Cred&it column:"), spnCredit);
    addCaptioned(fields, 5, 2, QStringLiteral("Cu&rrency symbols:"), txtCurrency);
    addCaptioned(fields, 6, 0, QStringLiteral("Pa&yee column:"), spnPayee);
    addCaptioned(fields, 6, 2, QStringLiteral("&Memo column:"), spnMemo);
    fields->addWidget(chkParentheses, 7, 3);
    fields->setColumnStretch(3, 1);

    QLabel *listLabel = makeCaption(lstMappings, QStringLiteral("Sa&ved mappings:"));
    auto *list = new QVBoxLayout;
    list->addWidget(listLabel);
    list->addWidget(lstMappings, 1);
    auto *top = new QHBoxLayout;
    top->addLayout(list);
    top->addLayout(fields, 1);

    auto *sampleLabel = new QLabel(QStringLiteral("Sample &file:"), this);
    sampleLabel->setBuddy(txtSample);
    auto *sample = new QHBoxLayout;
    sample->addWidget(sampleLabel);
    sample->addWidget(txtSample, 1);
    sample->addWidget(cmdBrowse);

    grdPreview = new DataGrid(new RowArrayModel(makePreviewRows(), previewColumns(m_state.dateFormat())), this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setAccessibleName(QStringLiteral("Preview"));
    new ColumnFitter(grdPreview, {PreviewCol::Payee, PreviewCol::Memo, PreviewCol::Problem});
    grdPreview->rowModel()->cellTip = [this](int row, int column) {
        return column >= PreviewCol::Payee ? grdPreview->rows().textAt(row, column) : QString();
    };
    lblPreview = makeLabel(this, "lblPreview", QString());

    cmdNew = makeButton(this, "cmdNew", QStringLiteral("Ne&w"));
    cmdSave = makeButton(this, "cmdSave", QStringLiteral("&Save"));
    cmdDelete = makeButton(this, "cmdDelete", QStringLiteral("De&lete"));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"));
    cmdSave->setEnabled(m_state.book.mayWrite());
    cmdDelete->setEnabled(m_state.book.mayWrite());
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdNew);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdDelete);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(sample);
    layout->addWidget(lblPreview);
    layout->addWidget(grdPreview, 1);
    layout->addLayout(buttons);

    connect(lstMappings, &QListWidget::currentRowChanged, this, &dlgCsvMappings::mappingChosen);
    for (QComboBox *box : {cboSeparator, cboEncoding, cboDecimal})
        connect(box, &QComboBox::currentIndexChanged, this, &dlgCsvMappings::refreshPreview);
    for (QSpinBox *box : {spnHeaderRows, spnDate, spnAmount, spnDebit, spnCredit, spnPayee, spnMemo})
        connect(box, &QSpinBox::valueChanged, this, &dlgCsvMappings::refreshPreview);
    for (QLineEdit *box : {txtDatePattern, txtThousands, txtCurrency})
        connect(box, &QLineEdit::textChanged, this, &dlgCsvMappings::refreshPreview);
    connect(chkParentheses, &QCheckBox::toggled, this, &dlgCsvMappings::refreshPreview);
    connect(txtSample, &QLineEdit::editingFinished, this, &dlgCsvMappings::readSample);
    connect(cmdBrowse, &QPushButton::clicked, this, &dlgCsvMappings::chooseSample);
    connect(cmdNew, &QPushButton::clicked, this, &dlgCsvMappings::startNew);
    connect(cmdSave, &QPushButton::clicked, this, &dlgCsvMappings::save);
    connect(cmdDelete, &QPushButton::clicked, this, &dlgCsvMappings::remove);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void dlgCsvMappings::loadNames(const QString &select)
{
    QStringList names;
    try {
        names = csvMappingNames(m_state.book);
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
    {
        const QSignalBlocker quiet(lstMappings);
        lstMappings->clear();
        lstMappings->addItems(names);
    }
    // The list was emptied first, so choosing a row always shows its mapping.
    if (!names.isEmpty())
        lstMappings->setCurrentRow(std::max(0, int(names.indexOf(select))));
}

void dlgCsvMappings::mappingChosen()
{
    const QListWidgetItem *item = lstMappings->currentItem();
    if (!item)
        return;
    try {
        if (const auto mapping = loadCsvMapping(m_state.book, item->text())) {
            m_chosen = mapping->name;
            showMapping(*mapping);
        }
    } catch (const DbError &e) {
        reportDbFailure(m_state, this, e.description());
    }
}

void dlgCsvMappings::showMapping(const CsvMapping &m)
{
    m_showing = true;
    txtName->setText(m.name);
    cboSeparator->setCurrentIndex(std::max(0, cboSeparator->findData(QString(m.delimiter))));
    cboEncoding->setCurrentIndex(std::max(0, cboEncoding->findData(int(m.encoding))));
    spnHeaderRows->setValue(m.skipRows);
    spnDate->setValue(m.dateColumn + 1);
    txtDatePattern->setText(m.datePattern);
    spnAmount->setValue(m.amountColumn + 1);
    spnDebit->setValue(m.debitColumn + 1);
    spnCredit->setValue(m.creditColumn + 1);
    cboDecimal->setCurrentIndex(std::max(0, cboDecimal->findData(QString(m.decimalSeparator))));
    txtThousands->setText(m.thousandsSeparators);
    txtCurrency->setText(m.currencySymbols);
    chkParentheses->setChecked(m.parenthesesNegative);
    spnPayee->setValue(m.payeeColumn + 1);
    spnMemo->setValue(m.memoColumn + 1);
    m_showing = false;
    refreshPreview();
}

CsvMapping dlgCsvMappings::mappingShown() const
{
    CsvMapping m;
    m.name = txtName->text().trimmed();
    m.delimiter = cboSeparator->currentData().toString().at(0);
    m.encoding = TextEncoding(cboEncoding->currentData().toInt());
    m.skipRows = spnHeaderRows->value();
    m.dateColumn = spnDate->value() - 1;
    m.datePattern = txtDatePattern->text().trimmed();
    m.amountColumn = spnAmount->value() - 1;
    m.debitColumn = spnDebit->value() - 1;
    m.creditColumn = spnCredit->value() - 1;
    m.decimalSeparator = cboDecimal->currentData().toString().at(0);
    m.thousandsSeparators = txtThousands->text();
    m.currencySymbols = txtCurrency->text();
    m.parenthesesNegative = chkParentheses->isChecked();
    m.payeeColumn = spnPayee->value() - 1;
    m.memoColumn = spnMemo->value() - 1;
    return m;
}

void dlgCsvMappings::chooseSample()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Sample CSV file"),
                                                      QFileInfo(txtSample->text()).path(),
                                                      QStringLiteral("CSV files (*.csv *.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    txtSample->setText(path);
    readSample();
}

void dlgCsvMappings::readSample()
{
    const QString path = txtSample->text().trimmed();
    if (path == m_samplePath)
        return;
    m_samplePath = path;
    m_sample.clear();
    if (!path.isEmpty()) {
        WaitCursor wait;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            m_state.messages->critical(this, Title,
                                       QStringLiteral("\"%1\" cannot be read: %2").arg(path, file.errorString()));
        else
            m_sample = file.read(4 * 1024 * 1024); // the first lines are all the preview shows
    }
    refreshPreview();
}

void dlgCsvMappings::refreshPreview()
{
    if (m_showing)
        return;
    RowArray &rows = grdPreview->rows();
    rows = makePreviewRows();
    if (m_sample.isEmpty()) {
        lblPreview->setText(QStringLiteral("Choose a sample file to see its first lines as this mapping reads them."));
    } else {
        int faults = 0;
        for (const CsvPreviewLine &p : previewCsvLines(m_sample, mappingShown())) {
            const int r = rows.appendRow();
            rows.setInt(r, PreviewCol::Line, p.fileLine);
            if (p.fault.isEmpty()) {
                rows.setDate(r, PreviewCol::Date, p.line.date);
                rows.setMoney(r, PreviewCol::Amount, p.line.amount);
                rows.setText(r, PreviewCol::Payee, p.line.payee);
                rows.setText(r, PreviewCol::Memo, p.line.memo);
            } else {
                ++faults;
                rows.setText(r, PreviewCol::Problem, p.fault);
            }
        }
        lblPreview->setText(
            faults ? QStringLiteral("The first %1 lines as mapped; %2 do not read.").arg(rows.rowCount()).arg(faults)
                   : QStringLiteral("The first %1 lines as mapped.").arg(rows.rowCount()));
    }
    grdPreview->rowModel()->rebind();
}

void dlgCsvMappings::startNew()
{
    lstMappings->setCurrentRow(-1);
    CsvMapping guess = m_sample.isEmpty() ? CsvMapping() : guessCsvMapping(m_sample);
    guess.name.clear();
    m_chosen.clear();
    showMapping(guess);
    txtName->setFocus();
}

void dlgCsvMappings::save()
{
    const CsvMapping mapping = mappingShown();
    try {
        // The reader's own checks of a mapping, on no lines at all.
        readCsvStatement(QByteArray(), mapping);
    } catch (const StatementError &e) {
        m_state.messages->critical(this, Title, QStringLiteral("This mapping cannot read a file: %1.").arg(e.reason()));
        return;
    }
    try {
        saveCsvMapping(m_state.book, mapping);
    } catch (const DbError &e) {
        m_state.messages->critical(this, Title, e.description());
        return;
    }
    loadNames(mapping.name);
}

void dlgCsvMappings::remove()
{
    const QListWidgetItem *item = lstMappings->currentItem();
    if (!item) {
        m_state.messages->information(this, Title, QStringLiteral("Choose a saved mapping to delete."));
        return;
    }
    const QString name = item->text();
    if (m_state.messages->question(this, Title, QStringLiteral("Delete the CSV mapping \"%1\"?").arg(name))
        != QMessageBox::Yes)
        return;
    try {
        deleteCsvMapping(m_state.book, name);
    } catch (const DbError &e) {
        m_state.messages->critical(this, Title, e.description());
        return;
    }
    m_chosen.clear();
    loadNames(QString());
    if (lstMappings->count() == 0)
        startNew();
}

} // namespace bc
