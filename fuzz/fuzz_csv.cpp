// libFuzzer target for the CSV reader: any bytes must either be refused with
// a line number or read into records that the writer writes back to text the
// reader turns into the same records again, and every field comes back
// exactly from its export form protected against spreadsheet formulas.
#include "csv.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const bc::CsvReadResult read = bc::readCsv(bytes);
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    if (!read.ok()) {
        fuzzCheck(read.errorLine >= 1 && read.errorLine <= lines);
        return 0;
    }
    QString written;
    int previousLine = 0;
    for (const bc::CsvRecord &record : read.records) {
        fuzzCheck(record.line > previousLine && record.line <= lines && !record.fields.isEmpty());
        previousLine = record.line;
        written += bc::csvLine(record.fields);
    }
    const bc::CsvReadResult again = bc::readCsv(written.toUtf8());
    fuzzCheck(again.ok() && again.records.size() == read.records.size());
    for (qsizetype i = 0; i < read.records.size(); ++i) {
        fuzzCheck(again.records[i].fields == read.records[i].fields);
        for (const QString &field : read.records[i].fields)
            fuzzCheck(bc::unprotectedCell(bc::protectedCell(field)) == field);
    }
    return 0;
}
