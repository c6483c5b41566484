#pragma once

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QToolButton;

namespace bc {

// A date box that takes dates typed in the user's order ("d/M/yyyy" or
// "M/d/yyyy", day and month of one or two digits) and offers a calendar
// pop-up (the button, Alt+Down or F4). The typed text is read as a whole, so
// "31/12/2024" means what it says however it was typed. Text that is not a
// date never becomes the date: the last valid one stays and is shown again
// when the box loses the focus or Enter is pressed.
class DateEntry : public QWidget {
    Q_OBJECT
public:
    explicit DateEntry(QWidget *parent = nullptr);

    // userFormat is a book's date format; month-first values ("M/d/yyyy",
    // "mm/dd/yyyy") show the month first, anything else the day first.
    void setDisplayFormat(const QString &userFormat);
    QString displayFormat() const { return m_format; }

    QDate date() const { return m_date; }
    void setDate(const QDate &date);

    QLineEdit *lineEdit() const { return m_edit; }
    QCalendarWidget *calendar() const { return m_calendar; }
    bool isCalendarShown() const;
    void showCalendar();

signals:
    void dateChanged(QDate date);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();
    void takeTypedText(const QString &text);
    void pickFromCalendar(const QDate &date);

    QLineEdit *m_edit;
    QToolButton *m_button;
    QFrame *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
    QString m_format;
    QDate m_date;
};

} // namespace bc
