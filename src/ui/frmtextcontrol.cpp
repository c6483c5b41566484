#include "frmtextcontrol.h"

#include "appstate.h"
#include "frmmain.h"
#include "rtfreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace bc {

namespace {

const QString ReadmeName = QStringLiteral("readme.rtf");

// The guide is shown on the greyed-text colour of the palette, as the
// program always has; the text takes black or white, whichever stands out
// from that grey, so it stays readable under any colour scheme.
QPalette guidePalette(QPalette palette)
{
    const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
    const QColor ink = grey.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, grey);
        palette.setColor(group, QPalette::Text, ink);
    }
    return palette;
}

} // namespace

frmTextControl::frmTextControl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTextControl"));
    setWindowIcon(QIcon(QStringLiteral(":/ui/brindlecot.png")));
    richTextFile = new QTextBrowser(this);
    richTextFile->setObjectName(QStringLiteral("richTextFile"));
    richTextFile->setReadOnly(true);
    richTextFile->setOpenLinks(false);
    richTextFile->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The text area always fills the window.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(richTextFile);
}

QSize frmTextControl::sizeHint() const
{
    // Wide enough for the guide's lines in a fixed-pitch font.
    return QSize(720, 520);
}

bool frmTextControl::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    richTextFile->setHtml(rtfToHtml(file.readAll()));
    richTextFile->setPalette(guidePalette(palette()));
    return true;
}

void ShowHelpContents(AppState &state, frmMain &main)
{
    const auto fail = [&] {
        state.messages->show(&main, MsgIcon::None, QString(), QStringLiteral("Error opening helpfile"), QMessageBox::Ok,
                             QMessageBox::Ok);
    };
    if (!QFileInfo(state.readmePath).isFile()) {
        fail();
        return;
    }
    auto *viewer = qobject_cast<frmTextControl *>(state.helpViewer.data());
    const bool made = !viewer;
    if (made)
        viewer = new frmTextControl;
    if (!viewer->loadFile(state.readmePath)) {
        if (made)
            delete viewer;
        fail();
        return;
    }
    viewer->setFileType(QStringLiteral("Help"));
    viewer->setWindowTitle(QStringLiteral("Help: Contents"));
    state.helpViewer = viewer;
    main.showChild(QStringLiteral("frmTextControl"), [viewer] { return viewer; });
}

QString findReadme()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList candidates{appDir + u'/' + ReadmeName,
                           QDir::cleanPath(appDir + QStringLiteral("/../share/brindlecot/") + ReadmeName),
                           QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                  QStringLiteral("brindlecot/") + ReadmeName)};
#ifdef BRINDLECOT_SOURCE_README
    candidates << QStringLiteral(BRINDLECOT_SOURCE_README);
#endif
    for (const QString &path : candidates)
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return path;
    return QString();
}

} // namespace bc
