// libFuzzer target for the QIF reader, with the dates' order detected and
// given.
#include "qifreader.h"
#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStatementReader(data, size, [](const QByteArray &bytes) {
        return bc::readQifStatement(bytes, std::nullopt, bc::TextEncoding::Utf8);
    });
    checkStatementReader(data, size, [](const QByteArray &bytes) {
        return bc::readQifStatement(bytes, bc::DateOrder::MonthDayYear, bc::TextEncoding::Windows1252);
    });
    return 0;
}
