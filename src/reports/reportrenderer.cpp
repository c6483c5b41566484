#include "reportrenderer.h"

#include "dates.h"
#include "reportlayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

namespace bc {

namespace {

// Paints the pages of one laid-out report.
class PagePainter {
public:
    PagePainter(QPainter &painter, const ReportLayout &layout, const ReportDefinition &definition,
                const ReportTable &table, const QString &printedOn)
        : p(painter), L(layout), def(definition), t(table), m_printedOn(printedOn)
    {
    }

    void paintPage(int index)
    {
        const ReportPage &page = L.pages[index];
        qreal y = paintHeader();
        for (int r = page.firstRow; r < page.endRow; ++r) {
            paintRow(r, y);
            y += L.rowHeight(r);
        }
        if (page.totals) {
            if (t.rows.isEmpty()) {
                paintNoRecords(y);
                y += L.totalsHeight();
            }
            paintTotals(y);
        }
        paintFooter(index);
    }

private:
    QRectF cellRect(int column, qreal y, qreal height) const
    {
        const PlacedColumn &c = L.columns[column];
        return QRectF(c.x + L.padding, y, c.width - 2 * L.padding, height);
    }
    Qt::Alignment alignOf(int column) const
    {
        return (L.columns[column].rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    void line(qreal y, qreal points, const QColor &colour)
    {
        p.setPen(QPen(colour, points * L.unit));
        p.drawLine(QPointF(0, y), QPointF(L.columns.last().x + L.columns.last().width, y));
    }

    qreal paintHeader()
    {
        p.setPen(Qt::black);
        p.setFont(L.fonts.title);
        const qreal titleHeight = QFontMetricsF(L.fonts.title, p.device()).lineSpacing();
        p.drawText(QRectF(0, 0, L.pageWidth, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, def.title);
        qreal y = titleHeight + 6 * L.unit;

        const QFontMetricsF labels(L.fonts.label, p.device());
        qreal labelWidth = 0;
        for (const ReportParameterLine &parameter : def.parameterLines)
            labelWidth = std::max(labelWidth, labels.horizontalAdvance(parameter.label + u':'));
        for (int i = 0; i < def.parameterLines.size(); ++i) {
            const qreal h = labels.lineSpacing();
            p.setFont(L.fonts.label);
            p.drawText(QRectF(0, y, labelWidth, h), Qt::AlignLeft | Qt::AlignVCenter, def.parameterLines[i].label + u':');
            p.setFont(L.fonts.body);
            const qreal x = labelWidth + 8 * L.unit;
            const QString value = QFontMetricsF(L.fonts.body, p.device())
                                      .elidedText(t.parameterValues.value(i), Qt::ElideRight, L.pageWidth - x);
            p.drawText(QRectF(x, y, L.pageWidth - x, h), Qt::AlignLeft | Qt::AlignVCenter, value);
            y += h;
        }
        if (!def.parameterLines.isEmpty())
            y += 8 * L.unit;

        p.setFont(L.fonts.heading);
        for (int c = 0; c < def.columns.size(); ++c)
            p.drawText(cellRect(c, y, L.lineHeight + 2 * L.padding), alignOf(c), def.columns[c].heading);
        y += L.lineHeight + 2 * L.padding;
        line(y, 1, Qt::black);
        return y;
    }

    void paintRow(int row, qreal y)
    {
        p.setPen(Qt::black);
        p.setFont(L.fonts.body);
        for (int c = 0; c < def.columns.size(); ++c) {
            const QStringList lines = L.cellLines(t, row, c);
            for (int i = 0; i < lines.size(); ++i)
                p.drawText(cellRect(c, y + L.padding + i * L.lineHeight, L.lineHeight), alignOf(c), lines[i]);
        }
        line(y + L.rowHeight(row), 0.3, QColor(200, 200, 200));
    }

    void paintNoRecords(qreal y)
    {
        QFont font = L.fonts.body;
        font.setItalic(true);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRectF(L.padding, y, L.pageWidth, L.totalsHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("No records"));
    }

    void paintTotals(qreal y)
    {
        bool any = false;
        for (const QString &total : t.totals)
            any = any || !total.isEmpty();
        if (!any)
            return;
        line(y, 0.8, Qt::black);
        p.setPen(Qt::black);
        p.setFont(L.fonts.heading);
        p.drawText(cellRect(0, y, L.totalsHeight()), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Total"));
        for (int c = 0; c < def.columns.size(); ++c)
            if (!t.totals.value(c).isEmpty())
                p.drawText(cellRect(c, y, L.totalsHeight()), alignOf(c), t.totals[c]);
    }

    void paintFooter(int index)
    {
        const qreal h = QFontMetricsF(L.fonts.footer, p.device()).lineSpacing();
        const qreal y = L.pageHeight - h;
        p.setPen(QPen(QColor(120, 120, 120), 0.5 * L.unit));
        p.drawLine(QPointF(0, y - 3 * L.unit), QPointF(L.pageWidth, y - 3 * L.unit));
        p.setPen(Qt::black);
        p.setFont(L.fonts.footer);
        p.drawText(QRectF(0, y, L.pageWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Printed on %1").arg(m_printedOn));
        p.drawText(QRectF(0, y, L.pageWidth, h), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Page %1 of %2").arg(index + 1).arg(L.pages.size()));
    }

    QPainter &p;
    const ReportLayout &L;
    const ReportDefinition &def;
    const ReportTable &t;
    QString m_printedOn;
};

// Renders on device; cannotStart is the message when the device cannot be
// painted on at all (no printer, an unwritable file).
RenderResult render(QPagedPaintDevice &device, int reportType, const RecordSet &records, const ReportPrintInfo &info,
                    const QString &cannotStart)
{
    RenderResult result;
    result.error = reportProblem(reportType, records);
    if (!result.error.isEmpty())
        return result;
    const ReportDefinition definition = *reportDefinition(reportType);
    const ReportTable table = tabulate(definition, records);
    const ReportLayout layout(device, definition, table);
    const QDate printedOn = info.printedOn.isValid() ? info.printedOn : QDate::currentDate();

    QPainter painter;
    if (!painter.begin(&device)) {
        result.error = cannotStart;
        return result;
    }
    PagePainter pages(painter, layout, definition, table, formatReportDate(printedOn, info.dateFormat));
    for (int i = 0; i < layout.pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            result.error = QStringLiteral("A new page could not be started on the printer or file.");
            return result;
        }
        pages.paintPage(i);
    }
    if (!painter.end()) {
        result.error = QStringLiteral("The report could not be finished on the printer or file.");
        return result;
    }
    result.ok = true;
    result.pageCount = int(layout.pages.size());
    return result;
}

} // namespace

RenderResult renderReport(QPagedPaintDevice &device, int reportType, const RecordSet &records,
                          const ReportPrintInfo &info)
{
    return render(device, reportType, records, info, QStringLiteral("The printer could not be started."));
}

RenderResult renderReportToPdf(const QString &path, int reportType, const RecordSet &records,
                               const ReportPrintInfo &info)
{
    // Checked first, so a wrong report leaves no empty file behind.
    if (const QString problem = reportProblem(reportType, records); !problem.isEmpty())
        return RenderResult{false, problem, 0};
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("Brindlecot"));
    writer.setTitle(reportDefinition(reportType)->title);
    writer.setResolution(300);
    return render(writer, reportType, records, info, QStringLiteral("The file \"%1\" could not be written.").arg(path));
}

} // namespace bc
