#pragma once

#include "messages.h"

#include <QList>
#include <QString>

namespace bc::test {

// Records every message the program would show. A message with one button
// is answered with it; a question takes the next answer from the queue, or
// the default answer when the queue is empty.
class RecordingMessages : public Messages {
public:
    struct Shown {
        MsgIcon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    QList<Shown> shown;
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Ok;

    QMessageBox::StandardButton show(QWidget *, MsgIcon icon, const QString &title, const QString &text,
                                     QMessageBox::StandardButtons buttons, QMessageBox::StandardButton) override
    {
        shown.append({icon, title, text, buttons});
        for (auto single : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Cancel})
            if (buttons == single)
                return single;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return defaultAnswer;
    }

    QString last() const { return shown.isEmpty() ? QString() : shown.last().title + u'|' + shown.last().text; }
};

} // namespace bc::test
