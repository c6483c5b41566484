#include "frmaboutus.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace bc {

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

} // namespace

frmAboutUS::frmAboutUS(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAboutUS"));
    setWindowTitle(QStringLiteral("About Brindlecot"));
    setWindowIcon(QIcon(QStringLiteral(":/ui/brindlecot.png")));
    setFont(QFont(QStringLiteral("Arial"), 9));

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QIcon(QStringLiteral(":/ui/brindlecot.png")).pixmap(64, 64));
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = label(this, "lblTitle", QStringLiteral("Brindlecot Version 1.1"));
    QFont titleFont = font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblDescription = label(this, "lblDescription", QStringLiteral("For Home/Small Business Accounting"));
    lblMaker = label(this, "lblMaker", QStringLiteral("Brindlecot developers"));
    lblWeb = label(this, "lblWeb", QStringLiteral("https://brindlecot.example.org"));
    lblWeb->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    lblWarning = label(this, "lblWarning",
                       QStringLiteral("Warning: this program is protected by copyright. Reproducing or "
                                      "distributing it, in whole or in part, without the permission of "
                                      "its makers is not allowed."));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

    auto *grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->addWidget(imgLogo, 0, 0, 4, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblDescription, 1, 1);
    grid->addWidget(lblMaker, 2, 1);
    grid->addWidget(lblWeb, 3, 1);
    grid->addWidget(Line1, 4, 0, 1, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblWarning, 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    grid->addLayout(bottom, 5, 0, 1, 2);
    setMinimumWidth(440);
    cmdOK->setFocus();
}

void frmAboutUS::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        cmdOK->click();
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace bc
