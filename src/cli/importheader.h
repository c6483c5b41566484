#pragma once

#include "csv.h"

#include <QList>
#include <QStringList>

namespace bc::cli {

// The header line of an import file: it must name exactly the expected
// columns, in any order and any case. Refusals name the line at fault.
class ImportHeader {
public:
    ImportHeader(const QList<CsvRecord> &records, const QStringList &expected);

    // A record's fields in the expected order, without the apostrophe that
    // protects a cell from spreadsheet formulas on export; a record with
    // another number of fields than the header is refused.
    QStringList cells(const CsvRecord &record) const;

private:
    QList<int> m_positions; // the file column of each expected column
    int m_width = 0;
};

} // namespace bc::cli
