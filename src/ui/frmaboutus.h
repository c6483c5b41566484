#pragma once

#include <QWidget>

class QFrame;
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
};

} // namespace bc
