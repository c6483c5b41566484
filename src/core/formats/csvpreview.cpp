#include "csvpreview.h"

#include "csv.h"
#include "csvstatement.h"
#include "textencoding.h"

namespace bc {

std::vector<CsvPreviewLine> previewCsvLines(const QByteArray &data, const CsvMapping &mapping, int count)
{
    std::vector<CsvPreviewLine> lines;
    const CsvReadResult csv = readCsvText(decodeStatementText(data, mapping.encoding), mapping.delimiter);
    // Each record is read by the statement reader itself, written out again
    // as a file of that one record, so the preview shows exactly what an
    // import reads.
    CsvMapping single = mapping;
    single.delimiter = u',';
    single.encoding = TextEncoding::Utf8;
    single.skipRows = 0;
    for (qsizetype i = qMax(0, mapping.skipRows); i < csv.records.size() && int(lines.size()) < count; ++i) {
        CsvPreviewLine &preview = lines.emplace_back();
        preview.fileLine = csv.records[i].line;
        try {
            const Statement read = readCsvStatement(csvLine(csv.records[i].fields).toUtf8(), single);
            if (!read.lines.empty())
                preview.line = read.lines.front();
            preview.line.where = QStringLiteral("line %1").arg(preview.fileLine);
        } catch (const StatementError &e) {
            preview.fault = e.where() == QLatin1String("the mapping") ? e.text() : e.reason();
        }
    }
    if (!csv.ok() && int(lines.size()) < count) {
        CsvPreviewLine &fault = lines.emplace_back();
        fault.fileLine = csv.errorLine;
        fault.fault = csv.error;
    }
    return lines;
}

} // namespace bc
