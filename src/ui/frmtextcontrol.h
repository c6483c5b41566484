#pragma once

#include <QWidget>

class QTextBrowser;

namespace bc {

struct AppState;
class frmMain;

// The read-me viewer: shows an RTF file, read only, filling the window.
class frmTextControl : public QWidget {
    Q_OBJECT
public:
    explicit frmTextControl(QWidget *parent = nullptr);

    QTextBrowser *richTextFile;

    QSize sizeHint() const override;

    void setFileType(const QString &type) { m_fileType = type; }
    QString fileType() const { return m_fileType; }

    // Loads the file into the text area; false when it cannot be read.
    bool loadFile(const QString &path);

private:
    QString m_fileType;
};

// Help > Contents: shows the user guide in the one read-me viewer, opening it
// inside main when none is open and reloading it otherwise. A missing guide
// is reported and no viewer is shown.
void ShowHelpContents(AppState &state, frmMain &main);

// Where the user guide is found: beside the executable, then in the
// installed data folder, then in the source tree the program was built from.
// Empty when none of them has it.
QString findReadme();

} // namespace bc
