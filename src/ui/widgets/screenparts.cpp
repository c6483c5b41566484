#include "screenparts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
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

// Presses a window's default button on an Enter no field used.
class EnterPressesDefault : public QObject {
public:
    EnterPressesDefault(QWidget *window, QPushButton *button)
        : QObject(window)
        , m_window(window)
        , m_button(button)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
        QPushButton *target = focused && m_window->isAncestorOf(focused) ? focused : m_button;
        if (!target->isEnabled())
            return false;
        target->click();
        return true;
    }

private:
    QWidget *m_window;
    QPushButton *m_button;
};

} // namespace

void pressDefaultOnEnter(QWidget *window, QPushButton *defaultButton)
{
    defaultButton->setDefault(true);
    window->installEventFilter(new EnterPressesDefault(window, defaultButton));
}

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

QComboBox *makeChoiceBox(QWidget *parent, const char *objectName, const QList<QPair<QString, QVariant>> &items)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(objectName));
    for (const auto &[text, value] : items)
        box->addItem(text, value);
    return box;
}

QString withoutAltMark(const QString &caption)
{
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain;
}

QLabel *makeCaption(QWidget *field, const QString &caption)
{
    auto *label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    // A screen reader names other fields after the label that leads to
    // them, but a list or grid only by its own name.
    if (qobject_cast<QAbstractItemView *>(field))
        field->setAccessibleName(withoutAltMark(caption));
    return label;
}

void addCaptioned(QGridLayout *layout, int row, int column, const QString &caption, QWidget *field)
{
    layout->addWidget(makeCaption(field, caption), row, column);
    layout->addWidget(field, row, column + 1);
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

void makePasswordBox(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'
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

} // namespace bc
