// libFuzzer target for bank CSV files: read with the mapping guessed from
// the bytes themselves, and with a fixed mapping of debit and credit
// columns and decimal commas.
#include "csvstatement.h"
#include "statementcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStatementReader(data, size, [](const QByteArray &bytes) {
        return bc::readCsvStatement(bytes, bc::guessCsvMapping(bytes));
    });
    checkStatementReader(data, size, [](const QByteArray &bytes) {
        bc::CsvMapping mapping;
        mapping.delimiter = u';';
        mapping.datePattern = QStringLiteral("dd.MM.yy");
        mapping.amountColumn = -1;
        mapping.debitColumn = 1;
        mapping.creditColumn = 2;
        mapping.decimalSeparator = u',';
        mapping.thousandsSeparators = QStringLiteral(". ");
        return bc::readCsvStatement(bytes, mapping);
    });
    return 0;
}
