#pragma once

#include <QWidget>

class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace bc {

// The about box: the program's name, version and maker.
class frmAboutUS : public QWidget {
    Q_OBJECT
public:
    explicit frmAboutUS(QWidget *parent = nullptr);

    QLabel *imgLogo;
    QLabel *lblTitle;
    QLabel *lblDescription;
    QLabel *lblWarning;
    QLabel *lblMaker;
    QLabel *lblWeb;
    QFrame *Line1;
    QPushButton *cmdOK;

protected:
    // Enter presses OK and Escape closes the box, wherever the focus is.
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace bc
