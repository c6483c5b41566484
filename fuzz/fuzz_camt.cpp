// libFuzzer target for the CAMT.053 reader.
#include "camtreader.h"
#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStatementReader(data, size, [](const QByteArray &bytes) { return bc::readCamtStatement(bytes); });
    return 0;
}
