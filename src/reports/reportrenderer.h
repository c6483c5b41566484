#pragma once

#include "reportdata.h"

#include <QDate>
#include <QString>

class QIODevice;
class QPagedPaintDevice;

namespace bc {

// How a report is printed: the printing date, and the book's date format,
// whose report date pattern every date on the pages follows.
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
RenderResult renderReport(QPagedPaintDevice &device, const ReportData &data, const ReportPrintInfo &info);

// Renders a report into a PDF file at path.
RenderResult renderReportToPdf(const QString &path, const ReportData &data, const ReportPrintInfo &info);
// Renders a report as PDF onto an open device; the caller checks that every
// byte reached it.
RenderResult renderReportToPdf(QIODevice &device, const ReportData &data, const ReportPrintInfo &info);

} // namespace bc
