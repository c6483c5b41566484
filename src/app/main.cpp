#include "appstate.h"
#include "focusstyle.h"
#include "frmtextcontrol.h"
#include "messages.h"
#include "printers.h"
#include "startup.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a core dump; say so plainly instead.
bool haveDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true; // offscreen, vnc, ...: the platform needs no display
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    if (!haveDisplay()) {
        std::fputs("Brindlecot needs a graphical display, and none was found (DISPLAY is not set).\n"
                   "Start it from a desktop session, or use brindlecot-cli for work without a display.\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(new bc::FocusShowingStyle);
    bc::nameApplication();

    bc::BoxMessages messages;
    bc::AppState state;
    state.paths = bc::AppPaths::standard();
    state.messages = &messages;
    state.defaultPrinter = bc::systemDefaultPrinter;
    state.printerList = bc::systemPrinters;
    state.readmePath = bc::findReadme();

    if (const QString failure = state.paths.createDefaultBookOnFirstStart(); !failure.isEmpty())
        messages.critical(nullptr, QStringLiteral("Error"), bc::errorText(failure));

    bc::StartUp startUp(state);
    if (!startUp.run())
        return EXIT_SUCCESS;
    return app.exec();
}
