// libFuzzer target for the OFX reader.
#include "ofxreader.h"
#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStatementReader(data, size, [](const QByteArray &bytes) { return bc::readOfxStatement(bytes); });
    return 0;
}
