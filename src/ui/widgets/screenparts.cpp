#include "screenparts.h"

#include "appstate.h"
#include "datagrid.h"
#include "messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace bc {

QPushButton *makeButton(QWidget *parent, const char *objectName, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(objectName));
    return b;
}

QLabel *makeLabel(QWidget *parent, const char *objectName, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(objectName));
    return label;
}

QLineEdit *makeAmountDisplay(QWidget *parent, const char *objectName)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QLabel *makeTotalLabel(QWidget *parent)
{
    auto *total = new QLabel(QStringLiteral("0.00"), parent);
    total->setObjectName(QStringLiteral("lbltotal"));
    total->setMinimumWidth(110);
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    total->setFrameShape(QFrame::StyledPanel);
    total->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return total;
}

QHBoxLayout *makeButtonRow(const QList<QPushButton *> &buttons, const QString &totalCaption, QLabel *total)
{
    auto *row = new QHBoxLayout;
    for (QPushButton *b : buttons)
        row->addWidget(b);
    row->addStretch();
    row->addWidget(new QLabel(totalCaption, total->parentWidget()));
    row->addWidget(total);
    return row;
}

void reportDbFailure(AppState &state, QWidget *parent, const QString &description)
{
    state.messages->critical(parent, QStringLiteral("Error"), errorText(description));
}

void reportUnlistedEntries(AppState &state, DataGrid *grid)
{
    grid->refusedEntry = [&state, grid](const QString &typed) {
        state.messages->critical(grid->window(), QStringLiteral("Error"),
                                 QStringLiteral("\"%1\" is not in the list; the cell keeps its value.\r\n"
                                                "Alt+Down shows the list.").arg(typed));
    };
}

bool confirmDiscardEdits(AppState &state, QWidget *parent, const QString &title)
{
    return state.messages->question(parent, title,
                                    QStringLiteral("The changes you have not saved will be lost. Close anyway?"))
        == QMessageBox::Yes;
}

QString toggledSortOrder(const QString &order)
{
    return order == QLatin1String("A") ? QStringLiteral("D") : QStringLiteral("A");
}

} // namespace bc
