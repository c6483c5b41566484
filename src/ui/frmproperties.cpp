#include "frmproperties.h"

#include "appstate.h"
#include "book.h"
#include "messages.h"
#include "textroutines.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace bc {

frmProperties::frmProperties(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("DB & Printer Settings"));

    Frame1 = new QGroupBox(QStringLiteral("DataBase Settings"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Path"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    TxtDBPath = new QLineEdit(Frame1);
    TxtDBPath->setObjectName(QStringLiteral("TxtDBPath"));
    TxtDBPath->setMinimumWidth(360);
    Label1->setBuddy(TxtDBPath);
    CmdOpen = new QPushButton(QStringLiteral("&Open"), Frame1);
    CmdOpen->setObjectName(QStringLiteral("CmdOpen"));
    CmdOpen->setAutoDefault(false);
    cmdNew = new QPushButton(QStringLiteral("&New Book..."), Frame1);
    cmdNew->setObjectName(QStringLiteral("cmdNew"));
    cmdNew->setAutoDefault(false);
    auto *dbLayout = new QGridLayout(Frame1);
    dbLayout->addWidget(Label1, 0, 0);
    dbLayout->addWidget(TxtDBPath, 0, 1);
    dbLayout->addWidget(CmdOpen, 0, 2);
    dbLayout->addWidget(cmdNew, 0, 3);

    Frame2 = new QGroupBox(QStringLiteral("Printer Settings"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label2 = new QLabel(QStringLiteral("Printer"), Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    cboPrinter = new QComboBox(Frame2);
    cboPrinter->setObjectName(QStringLiteral("cboPrinter"));
    cboPrinter->setMinimumWidth(240);
    Label2->setBuddy(cboPrinter);
    CmdDefPrn = new QPushButton(QStringLiteral("Pick &Default Printer"), Frame2);
    CmdDefPrn->setObjectName(QStringLiteral("CmdDefPrn"));
    CmdDefPrn->setAutoDefault(false);
    auto *prnLayout = new QGridLayout(Frame2);
    prnLayout->addWidget(Label2, 0, 0);
    prnLayout->addWidget(cboPrinter, 0, 1);
    prnLayout->addWidget(CmdDefPrn, 0, 2);

    cmdOk = new QPushButton(QStringLiteral("O&K"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    layout->addLayout(buttons);

    connect(CmdOpen, &QPushButton::clicked, this, &frmProperties::openBook);
    connect(cmdNew, &QPushButton::clicked, this, &frmProperties::newBook);
    connect(CmdDefPrn, &QPushButton::clicked, this, [this] { selectDevice(m_state.defaultPrinter().device); });
    connect(cmdOk, &QPushButton::clicked, this, &frmProperties::save);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    // Entering the path box puts the caret after the path. The connection
    // lives as long as the box and touches only the box: focus moves while
    // the dialog is being destroyed, when the dialog is no longer one.
    QLineEdit *path = TxtDBPath;
    connect(qApp, &QApplication::focusChanged, path, [path](QWidget *, QWidget *now) {
        if (now == path)
            QTimer::singleShot(0, path, [path] { path->end(false); });
    });

    loadPrinters();
    loadSettingsFile();
}

void frmProperties::loadPrinters()
{
    m_printers = m_state.printerList();
    cboPrinter->clear();
    for (const PrinterSettings &p : m_printers)
        cboPrinter->addItem(p.device);
    cboPrinter->setCurrentIndex(-1);
}

void frmProperties::selectDevice(const QString &device)
{
    cboPrinter->setCurrentIndex(cboPrinter->findText(device, Qt::MatchExactly));
}

void frmProperties::loadSettingsFile()
{
    const SettingsFile file = m_state.settingsFile();
    if (!file.exists()) {
        file.createIfMissing();
        return;
    }
    for (const SettingsLine &line : file.lines()) {
        if (!line.hasSeparator)
            return; // a damaged line ends reading; what was read stays
        if (line.key == QLatin1String("DBPATH")) {
            TxtDBPath->setText(line.value);
        } else if (line.key == QLatin1String("PRNDEVICE")) {
            selectDevice(line.value);
            if (cboPrinter->currentIndex() < 0) {
                // The stored printer is gone: offer the default one instead.
                selectDevice(m_state.defaultPrinter().device);
                return;
            }
        }
    }
}

void frmProperties::openBook()
{
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Open Book"), TxtDBPath->text(), QString(),
                                                        nullptr, QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        m_lastChosenFile = chosen;
    TxtDBPath->setText(NullToText(m_lastChosenFile));
}

void frmProperties::newBook()
{
    QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("New Book"), m_state.paths.dataDir,
                                                  QStringLiteral("Brindlecot books (*.fd)"), nullptr,
                                                  QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    if (!chosen.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive))
        chosen += QStringLiteral(".fd");
    const QString failure = Book::create(chosen);
    if (!failure.isEmpty()) {
        m_state.messages->critical(this, QStringLiteral("Action failed"), errorText(failure));
        return;
    }
    m_lastChosenFile = chosen;
    TxtDBPath->setText(chosen);
}

void frmProperties::save()
{
    const int row = cboPrinter->currentIndex();
    const PrinterSettings printer = row < 0 ? m_state.defaultPrinter() : m_printers.value(row);
    m_state.printer = printer;
    const QString failure = m_state.settingsFile().write(TxtDBPath->text(), printer);
    if (!failure.isEmpty()) {
        m_state.messages->critical(this, QStringLiteral("Action failed"), errorText(failure));
        return;
    }
    accept();
    emit saved();
}

} // namespace bc
