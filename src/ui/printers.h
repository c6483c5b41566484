#pragma once

#include "settingsfile.h"

#include <QList>
#include <memory>

class QPrinter;

namespace bc {

// The printers the system knows, as port (location), driver (make and model)
// and device (name). With no printer installed the default is all empty and
// printed reports go to PDF.
QList<PrinterSettings> systemPrinters();
PrinterSettings systemDefaultPrinter();

// A printer for the configured device when it is installed, else for the
// system's default printer.
std::unique_ptr<QPrinter> configuredPrinter(const PrinterSettings &settings);

} // namespace bc
