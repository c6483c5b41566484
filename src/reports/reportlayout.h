#pragma once

#include "reportdefinition.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <vector>

class QPagedPaintDevice;

namespace bc {

struct ReportFonts {
    QFont title;
    QFont label;
    QFont body;
    QFont heading;
    QFont footer;
    static ReportFonts standard();
};

// Where a column sits on the page, in device pixels from the left margin.
struct PlacedColumn {
    qreal x = 0;
    qreal width = 0;
    bool rightAligned = false;
};

// The rows [firstRow, endRow) of one page, in the band of columns it
// prints; the last page of each band carries the totals.
struct ReportPage {
    int firstRow = 0;
    int endRow = 0;
    bool totals = false;
    int band = 0;
};

// A column as one band of columns prints it: its index, and where it sits.
struct BandColumn {
    int column = 0;
    qreal x = 0;
};

// Everything measured before painting: the page, the columns, each row's
// lines and height, and which rows go on which page. Every row is at most a
// page high and never split across pages, so the page count is known
// before the first page is painted.
class ReportLayout {
public:
    // Chooses portrait A4, or landscape when the columns do not fit across
    // portrait, sets that page layout on the device and lays the table out;
    // splits it into bands of columns where its definition allows and it
    // does not fit across a landscape page.
    ReportLayout(QPagedPaintDevice &device, const ReportDefinition &definition, const ReportTable &table);

    qreal unit = 1; // device pixels per point
    qreal pageWidth = 0; // the printable area, in device pixels
    qreal pageHeight = 0;
    ReportFonts fonts;
    QList<PlacedColumn> columns; // x: where the column sits when all fit across
    // The columns of each band in order: a single band of every column,
    // unless the report is split across pages (ReportDefinition).
    QList<QList<BandColumn>> bands;
    QList<ReportPage> pages;
    qreal headerHeight = 0; // title, parameters and column headings
    qreal footerHeight = 0;
    qreal lineHeight = 0; // one body line
    qreal padding = 0; // around each cell's text
    qreal headingHeight = 0; // the row of column headings

    qreal rowHeight(int row) const { return m_rowHeights[size_t(row)]; }
    qreal totalsHeight() const { return lineHeight + 2 * padding; }
    // The lines a cell is printed in: its text, or the text wrapped to the
    // column width, whole unless it fills more than a page (the last line
    // that fits is then elided).
    QStringList cellLines(const ReportTable &table, int row, int column) const;
    // The lines of a column's heading: one, or more where it wraps.
    QStringList headingLines(int column) const { return m_headings.value(column); }
    bool isBold(int row) const { return m_boldRows.contains(row); }

private:
    // The widths columns need for their texts; a heading that may wrap
    // counts by its longest word unless wholeHeadings.
    QList<qreal> naturalWidths(const QPaintDevice &device, const ReportDefinition &definition, const ReportTable &table,
                               bool wholeHeadings = false) const;
    qreal narrowestWidth(const ReportDefinition &definition, const QList<qreal> &natural) const;
    void wrapHeadings(const QPaintDevice &device, const ReportDefinition &definition);
    void placeColumns(const ReportDefinition &definition, const QList<qreal> &natural);
    // Splits the columns into bands that fit across the page, each column
    // as wide as its texts.
    void splitIntoBands(const ReportDefinition &definition, const QList<qreal> &natural);
    void measureRows(const QPaintDevice &device, const ReportTable &table);
    void paginate(const ReportTable &table);

    std::vector<qreal> m_rowHeights;
    QList<QStringList> m_headings;
    QSet<int> m_boldRows;
    QHash<qint64, QStringList> m_wrapped; // row * column count + column -> lines
    int m_columnCount = 0;
};

} // namespace bc
