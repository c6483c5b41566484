#include "printers.h"

#include <QPrinter>
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

std::unique_ptr<QPrinter> configuredPrinter(const PrinterSettings &settings)
{
    const QPrinterInfo info = settings.device.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(settings.device);
    if (info.isNull())
        return std::make_unique<QPrinter>(QPrinter::HighResolution);
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace bc
