#include "screenparts.h"

#include "appstate.h"
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

QLabel *makeStatusLabel(QWidget *parent)
{
    auto *status = new QLabel(parent);
    status->setObjectName(QStringLiteral("lblStatus"));
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return status;
}

QString saveStatusText(qsizetype saved, qint64 deleted, const QList<QPair<qsizetype, QString>> &outside)
{
    QString text = saved == 1 ? QStringLiteral("1 row saved") : QStringLiteral("%1 rows saved").arg(saved);
    if (deleted > 0)
        text += QStringLiteral(", %1 deleted").arg(deleted);
    for (const auto &[count, where] : outside) {
        if (count == 1)
            text += QStringLiteral("; 1 saved row is outside %1").arg(where);
        else if (count > 1)
            text += QStringLiteral("; %1 saved rows are outside %2").arg(count).arg(where);
    }
    return text;
}

void reportDbFailure(AppState &state, QWidget *parent, const QString &description)
{
    state.messages->critical(parent, QStringLiteral("Error"), errorText(description));
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
