#pragma once

#include "recordsets.h"

#include <QList>
#include <QString>
#include <optional>

namespace bc {

// One printed column: its heading, the record field it shows, and whether it
// is an amount (right-aligned "#0.00", optionally totalled at the end) or a
// balance (its magnitude with " Cr" or " Dr").
struct ReportColumn {
    enum class Kind { Number, Text, Amount, Balance };
    QString heading;
    QString field;
    Kind kind = Kind::Text;
    bool totalled = false;
    bool flexible = false; // a long text that takes the width left over
};

// A line of the block under the title: a label and one parameter value, or
// two joined by " to " for a date range. Indexes count from 0.
struct ReportParameterLine {
    QString label;
    int first = 0;
    int second = -1;
};

// How one report is laid out: its title, the parameter lines under it and
// its columns from left to right.
struct ReportDefinition {
    int reportType = 0;
    QString title;
    QList<ReportParameterLine> parameterLines;
    QList<ReportColumn> columns;
};

std::optional<ReportDefinition> reportDefinition(int reportType);

// The cells of a report as printed text, row by row in record order, with
// the total texts of the totalled columns (empty for the others).
struct ReportTable {
    QList<QStringList> rows;
    QStringList totals;
    QStringList parameterValues; // one per parameter line
};

// Checks that the report exists and that the records carry every field it
// prints. Returns an empty text when they do, else what is wrong.
QString reportProblem(int reportType, const RecordSet &records);

// The printed texts of a report whose problem is empty.
ReportTable tabulate(const ReportDefinition &definition, const RecordSet &records);

// A file name for the report that says what it shows: its title and the
// account and period it covers ("Account Ledger - Bank - 01-11-2026 to
// 30-11-2026"), without the ".pdf".
QString suggestedFileName(const ReportDefinition &definition, const RecordSet &records);

} // namespace bc
