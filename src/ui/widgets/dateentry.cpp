#include "dateentry.h"

#include "dates.h"
#include "screenparts.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace bc {

DateEntry::DateEntry(QWidget *parent)
    : QWidget(parent)
    , m_format(QString::fromLatin1(DayFirstFormat))
    , m_date(QDate::currentDate())
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("dateText"));
    // Room for "00/00/0000" and a little more.
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
    m_edit->installEventFilter(this);

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("calendarButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(QStringLiteral("Calendar (Alt+Down)"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(m_edit, &QLineEdit::textEdited, this, &DateEntry::takeTypedText);
    connect(m_edit, &QLineEdit::returnPressed, this, &DateEntry::settle);
    connect(m_button, &QToolButton::clicked, this, &DateEntry::showCalendar);
    render();
}

void DateEntry::setDisplayFormat(const QString &userFormat)
{
    m_format = userFormat;
    render();
}

void DateEntry::setDate(const QDate &date)
{
    if (!date.isValid())
        return;
    const bool changed = date != m_date;
    m_date = date;
    render();
    if (changed)
        emit dateChanged(m_date);
}

void DateEntry::render()
{
    const QString text = formatUserDate(m_date, m_format);
    if (m_edit->text() != text)
        m_edit->setText(text);
}

void DateEntry::settle()
{
    if (typedProblem().isEmpty())
        render();
}

QString DateEntry::typedProblem() const
{
    const QString text = m_edit->text();
    return text.trimmed().isEmpty() ? QString() : readTypedDate(text, m_format).problem;
}

void DateEntry::takeTypedText(const QString &text)
{
    // The date follows the text while it reads as a date; the text is left
    // alone so the user can go on typing.
    const QDate typed = readTypedDate(text, m_format).date;
    if (typed.isValid() && typed != m_date) {
        m_date = typed;
        emit dateChanged(m_date);
    }
}

bool DateEntry::isCalendarShown() const
{
    return m_popup && m_popup->isVisible();
}

void DateEntry::showCalendar()
{
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup);
        m_popup->setObjectName(QStringLiteral("calendarPopup"));
        m_popup->setFrameShape(QFrame::StyledPanel);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(QStringLiteral("calendar"));
        m_calendar->setGridVisible(true);
        auto *layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(m_calendar);
        m_popup->installEventFilter(this);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DateEntry::pickFromCalendar);
        connect(m_calendar, &QCalendarWidget::activated, this, &DateEntry::pickFromCalendar);
    }
    render();
    m_calendar->setSelectedDate(m_date);
    m_popup->adjustSize();

    // Below the box, kept on the screen.
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen *screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        const QSize size = m_popup->size();
        if (at.y() + size.height() > room.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() - size.width())));
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus();
}

void DateEntry::pickFromCalendar(const QDate &date)
{
    m_popup->hide();
    setDate(date);
    m_edit->setFocus();
    m_edit->selectAll();
}

void DateEntry::showEvent(QShowEvent *event)
{
    // The text field is what a screen reader meets: it takes the box's own
    // accessible name, else the caption of the label that leads to the box.
    QString name = accessibleName();
    for (QLabel *label : parentWidget() ? parentWidget()->findChildren<QLabel *>() : QList<QLabel *>())
        if (name.isEmpty() && (label->buddy() == this || label->buddy() == m_edit))
            name = withoutAltMark(label->text());
    m_edit->setAccessibleName(name);
    QWidget::showEvent(event);
}

bool DateEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool altDown = key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier);
        if (altDown || (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier)) {
            showCalendar();
            return true;
        }
    } else if (watched == m_edit && event->type() == QEvent::FocusOut) {
        settle();
    } else if (watched == m_popup && event->type() == QEvent::KeyPress
               && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        m_popup->hide();
        m_edit->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace bc
