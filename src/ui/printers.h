#pragma once

#include "settingsfile.h"

#include <QList>

namespace bc {

// The printers the system knows, as port (location), driver (make and model)
// and device (name). With no printer installed the default is all empty and
// printed reports go to PDF.
QList<PrinterSettings> systemPrinters();
PrinterSettings systemDefaultPrinter();

} // namespace bc
