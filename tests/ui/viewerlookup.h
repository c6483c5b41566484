#pragma once

#include "frmreportviewer.h"

#include <QApplication>

namespace bc::test {

// The report viewer a Print button has just opened; null when none is open.
inline frmReportViewer *openReportViewer()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *viewer = qobject_cast<frmReportViewer *>(top); viewer && viewer->isVisible())
            return viewer;
    return nullptr;
}

} // namespace bc::test
