#include "screenparts.h"

#include "appstate.h"
#include "datagrid.h"
#include "messages.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

namespace bc {

namespace {

// Watches the search fields of one panel, and the pop-up lists of their
// completers, for a plain Enter.
class EnterRunsFind : public QObject {
public:
    explicit EnterRunsFind(QPushButton *find)
        : QObject(find)
        , m_find(find)
    {
    }

    void watch(QWidget *field)
    {
        // Keys go to the widget that holds the focus for the field (a date
        // box passes it to its text).
        (field->focusProxy() ? field->focusProxy() : field)->installEventFilter(this);
        if (auto *box = qobject_cast<QComboBox *>(field); box && box->completer()) {
            QAbstractItemView *popup = box->completer()->popup();
            m_popups.insert(popup);
            popup->installEventFilter(this);
            connect(popup, &QObject::destroyed, this, [this](QObject *gone) { m_popups.remove(gone); });
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (m_popups.contains(watched)) {
            // A name the user moved to in the list is picked; with none
            // chosen, the list closes and Find runs on the typed text.
            auto *popup = static_cast<QAbstractItemView *>(watched);
            if (popup->currentIndex().isValid())
                return false;
            popup->hide();
        } else {
            watched->event(event);
        }
        m_find->click();
        return true;
    }

private:
    QPushButton *m_find;
    QSet<QObject *> m_popups;
};

} // namespace

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
    auto *caption = new QLabel(totalCaption, total->parentWidget());
    caption->setObjectName(QStringLiteral("lblTotalCaption"));
    row->addWidget(caption);
    row->addWidget(total);
    return row;
}

QComboBox *makeAccountFilterBox(QWidget *parent, const char *objectName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // The box's own completer would write the first matching name into the
    // text ("r" becoming "RST"), so a search could never use what was typed.
    QCompleter *completer = box->completer();
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchStartsWith);
    return box;
}

void runFindOnEnter(QPushButton *find, const QList<QWidget *> &fields)
{
    auto *filter = new EnterRunsFind(find);
    for (QWidget *field : fields)
        filter->watch(field);
}

QLabel *makeStatusLabel(QWidget *parent)
{
    auto *status = new QLabel(parent);
    status->setObjectName(QStringLiteral("lblStatus"));
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return status;
}

namespace {

const QString changedElsewhereText = QStringLiteral("Changed by another user — Save will check your rows");

} // namespace

void showChangedElsewhere(QLabel *status)
{
    status->setText(changedElsewhereText);
}

void clearChangedElsewhere(QLabel *status)
{
    if (status->text() == changedElsewhereText)
        status->clear();
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

void reportUnlistedEntries(AppState &state, DataGrid *grid)
{
    grid->refusedEntry = [&state, grid](const QString &typed) {
        state.messages->critical(grid->window(), QStringLiteral("Error"),
                                 QStringLiteral("\"%1\" is not in the list; the cell keeps its value.\r\n"
                                                "Alt+Down shows the list.")
                                     .arg(typed));
    };
}

bool confirmDiscardEdits(AppState &state, QWidget *parent, const QString &title)
{
    return state.messages->question(parent, title,
                                    QStringLiteral("The changes you have not saved will be lost. Close anyway?"))
        == QMessageBox::Yes;
}

bool offerReload(AppState &state, QWidget *parent, const QString &title, const QString &text)
{
    return state.messages->question(parent, title,
                                    text
                                        + QStringLiteral("\r\n\r\nReload the rows from the book? "
                                                         "No keeps your edits, so you can copy them."))
        == QMessageBox::Yes;
}

} // namespace bc
