// libFuzzer target for the read-me RTF reader: any byte sequence must convert
// without crashing, hanging or tripping the sanitizers.
#include "rtfreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray rtf = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString html = bc::rtfToHtml(rtf);
    (void)html;
    return 0;
}
