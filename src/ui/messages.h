#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace bc {

enum class MsgIcon { None, Information, Warning, Critical, Question };

// Every message box of the program goes through this interface: the program
// shows real boxes, tests record what would have been shown and answer it.
class Messages {
public:
    virtual ~Messages() = default;
    virtual QMessageBox::StandardButton show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) = 0;

    void critical(QWidget *parent, const QString &title, const QString &text)
    {
        show(parent, MsgIcon::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
    }
    void information(QWidget *parent, const QString &title, const QString &text)
    {
        show(parent, MsgIcon::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
    }
    QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No)
    {
        return show(parent, MsgIcon::Question, title, text, buttons, QMessageBox::NoButton);
    }
};

// Real message boxes. A CR LF pair in a text is shown as one line break.
// Once a box is answered, the focus is back on the control that had it, in
// the window that raised the box.
class BoxMessages : public Messages {
public:
    QMessageBox::StandardButton show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton) override;
};

// "Error" followed by CR LF and the description: the common failure text.
QString errorText(const QString &description);

} // namespace bc
