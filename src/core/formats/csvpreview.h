#pragma once

#include "statement.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace bc {

// One record of a CSV file as a mapping reads it: the line read, or why the
// mapping does not read it.
struct CsvPreviewLine {
    int fileLine = 0; // where the record starts in the file
    StatementLine line;
    QString fault; // empty when the record reads
};

// The first records after the mapping's header rows, each read on its own,
// so that one record the mapping does not read leaves the others shown. A
// fault of the mapping itself, or of the file's text, is the one line's.
std::vector<CsvPreviewLine> previewCsvLines(const QByteArray &data, const CsvMapping &mapping, int count = 20);

} // namespace bc
