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
// "31/12/2024" means what it says however it was typed, and eight digits
// ("31122024") are read as a grid's Date cell reads them. Text that is not a
// date never becomes the date, and it stays in the box as typed, so the
// window can refuse to use the box (typedProblem) rather than use the last
// date without a word. An emptied box shows its date again when it loses the
// focus.
class DateEntry : public QWidget {
    Q_OBJECT
public:
    explicit DateEntry(QWidget *parent = nullptr);

    // userFormat is a book's date format; month-first values ("M/d/yyyy",
    // "mm/dd/yyyy") show the month first, anything else the day first.
    void setDisplayFormat(const QString &userFormat);
    QString displayFormat() const { return m_format; }

    QDate date() const { return m_date; }
    // Why the text in the box is not a date; empty when it reads as one.
    QString typedProblem() const;
    void setDate(const QDate &date);

    QLineEdit *lineEdit() const { return m_edit; }
    QCalendarWidget *calendar() const { return m_calendar; }
    bool isCalendarShown() const;
    void showCalendar();

signals:
    void dateChanged(QDate date);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();
    // Shows the date again unless the box holds text that is not one.
    void settle();
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
