#include "printers.h"

#include <QPrinterInfo>

namespace bc {

namespace {

PrinterSettings fromInfo(const QPrinterInfo &info)
{
    if (info.isNull())
        return {};
    return {info.location(), info.makeAndModel(), info.printerName()};
}

} // namespace

QList<PrinterSettings> systemPrinters()
{
    QList<PrinterSettings> result;
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters())
        result << fromInfo(info);
    return result;
}

PrinterSettings systemDefaultPrinter()
{
    return fromInfo(QPrinterInfo::defaultPrinter());
}

} // namespace bc
