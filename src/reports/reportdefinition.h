#pragma once

#include "reportdata.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bc {

// One printed column: its heading, and whether it is the serial number, a
// text, an amount (right-aligned "#0.00", optionally totalled at the end) or
// a balance (its magnitude with " Cr" or " Dr").
struct ReportColumn {
    enum class Kind { Number, Text, Amount, Balance };
    QString heading;
    Kind kind = Kind::Text;
    bool totalled = false;
    bool flexible = false; // a long text that takes the width left over
    bool wrapHeading = false; // a long heading wraps at its spaces instead of widening the column
};

// How one report is laid out: its title, the labels of the parameter lines
// under it and its columns from left to right.
struct ReportDefinition {
    QString title;
    QStringList parameterLabels;
    QList<ReportColumn> columns;
    // A report too wide for a page even in the smallest type may be split
    // into bands of columns printed one after the other, each on pages of
    // its own, with the first repeatedColumns columns on every page; the
    // other columns are split only between groups of columnGroup. 0: never
    // split (the type is made smaller and long texts narrowed instead).
    int repeatedColumns = 0;
    int columnGroup = 1;
};

// The cells of a report as printed text, row by row, with the total texts of
// the totalled columns (empty for the others) and one value per parameter
// line.
struct ReportTable {
    QList<QStringList> rows;
    QStringList totals;
    QStringList parameterValues;
    QList<int> boldRows; // rows printed in bold: headings and totals among the rows
};

struct PrintedReport {
    ReportDefinition definition;
    ReportTable table;
};

// The report of data as printed, dates in the report date pattern of
// dateFormat.
PrintedReport printedReport(const ReportData &data, const QString &dateFormat);

// A file name for the report that says what it shows: its title and the
// account and period it covers ("Account Ledger - Bank - 01-11-2026 to
// 30-11-2026"), without the ".pdf".
QString suggestedFileName(const PrintedReport &report);

} // namespace bc
