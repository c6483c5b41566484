#pragma once

#include "recordsets.h"

#include <QDate>
#include <QString>

class QIODevice;
class QPagedPaintDevice;

namespace bc {

// What a printed page shows besides the records: the printing date, in the
// report date pattern of the book's date format.
struct ReportPrintInfo {
    QDate printedOn;
    QString dateFormat;
};

struct RenderResult {
    bool ok = false;
    QString error; // what went wrong, for the user, when not ok
    int pageCount = 0;
};

// Lays a report out on A4 pages of any paged device (a PDF writer, a printer,
// the print preview): the title and parameter values, the column headings
// on every page, the rows, the totals, the printing date and "Page n of m".
// Sets the device's page layout first, so call it before painting on it.
RenderResult renderReport(QPagedPaintDevice &device, int reportType, const RecordSet &records,
                          const ReportPrintInfo &info);

// Renders a report into a PDF file at path.
RenderResult renderReportToPdf(const QString &path, int reportType, const RecordSet &records,
                               const ReportPrintInfo &info);
// Renders a report as PDF onto an open device; the caller checks that every
// byte reached it.
RenderResult renderReportToPdf(QIODevice &device, int reportType, const RecordSet &records,
                               const ReportPrintInfo &info);

} // namespace bc
