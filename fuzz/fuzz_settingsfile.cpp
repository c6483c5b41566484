// libFuzzer target for the settings-file reader: any bytes must read without
// crashing, and what the reader makes of them must survive being written
// back and read again.
#include "fuzzcheck.h"
#include "settingsfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using bc::SettingsFile;
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QList<bc::SettingsLine> lines = SettingsFile::parse(text);
    QString bookPath = QStringLiteral("default.fd");
    bc::PrinterSettings printer;
    for (const bc::SettingsLine &line : lines) {
        fuzzCheck(line.key == line.key.toUpper());
        if (!line.hasSeparator || line.value.isEmpty())
            continue;
        if (line.key == QLatin1String("DBPATH"))
            bookPath = line.value;
        else if (line.key == QLatin1String("PRNPORT"))
            printer.port = line.value;
        else if (line.key == QLatin1String("PRNDRIVER"))
            printer.driver = line.value;
        else if (line.key == QLatin1String("PRNDEVICE"))
            printer.device = line.value;
    }
    const QList<bc::SettingsLine> again = SettingsFile::parse(SettingsFile::render(bookPath, printer));
    fuzzCheck(again.size() == 4 && again[0].value == bookPath && again[1].value == printer.port
              && again[2].value == printer.driver && again[3].value == printer.device);
    return 0;
}
