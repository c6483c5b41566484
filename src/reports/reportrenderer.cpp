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
        : m_painter(painter)
        , m_layout(layout)
        , m_definition(definition)
        , m_table(table)
        , m_printedOn(printedOn)
    {
    }

    void paintPage(int index)
    {
        const ReportPage &page = m_layout.pages[index];
        m_band = &m_layout.bands[page.band];
        qreal y = paintHeader();
        for (int r = page.firstRow; r < page.endRow; ++r) {
            paintRow(r, y);
            y += m_layout.rowHeight(r);
        }
        if (page.totals) {
            if (m_table.rows.isEmpty()) {
                paintNoRecords(y);
                y += m_layout.totalsHeight();
            }
            paintTotals(y);
        }
        paintFooter(index);
    }

private:
    QRectF cellRect(const BandColumn &column, qreal y, qreal height) const
    {
        const PlacedColumn &c = m_layout.columns[column.column];
        return QRectF(column.x + m_layout.padding, y, c.width - 2 * m_layout.padding, height);
    }
    Qt::Alignment alignOf(const BandColumn &column) const
    {
        return (m_layout.columns[column.column].rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    qreal bandRight() const { return m_band->last().x + m_layout.columns[m_band->last().column].width; }
    void line(qreal y, qreal points, const QColor &colour)
    {
        m_painter.setPen(QPen(colour, points * m_layout.unit));
        m_painter.drawLine(QPointF(0, y), QPointF(bandRight(), y));
    }

    qreal paintHeader()
    {
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_layout.fonts.title);
        const qreal titleHeight = QFontMetricsF(m_layout.fonts.title, m_painter.device()).lineSpacing();
        m_painter.drawText(QRectF(0, 0, m_layout.pageWidth, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                           m_definition.title);
        qreal y = titleHeight + 6 * m_layout.unit;

        const QFontMetricsF labels(m_layout.fonts.label, m_painter.device());
        qreal labelWidth = 0;
        for (const QString &label : m_definition.parameterLabels)
            labelWidth = std::max(labelWidth, labels.horizontalAdvance(label + u':'));
        for (int i = 0; i < m_definition.parameterLabels.size(); ++i) {
            const qreal h = labels.lineSpacing();
            m_painter.setFont(m_layout.fonts.label);
            m_painter.drawText(QRectF(0, y, labelWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                               m_definition.parameterLabels[i] + u':');
            m_painter.setFont(m_layout.fonts.body);
            const qreal x = labelWidth + 8 * m_layout.unit;
            const QString value = QFontMetricsF(m_layout.fonts.body, m_painter.device())
                                      .elidedText(m_table.parameterValues.value(i), Qt::ElideRight,
                                                  m_layout.pageWidth - x);
            m_painter.drawText(QRectF(x, y, m_layout.pageWidth - x, h), Qt::AlignLeft | Qt::AlignVCenter, value);
            y += h;
        }
        if (!m_definition.parameterLabels.isEmpty())
            y += 8 * m_layout.unit;

        m_painter.setFont(m_layout.fonts.heading);
        for (const BandColumn &c : *m_band) {
            // A wrapped heading's lines, and a one-line heading beside it,
            // stand on the bottom line of the heading row.
            const QStringList lines = m_layout.headingLines(c.column);
            if (lines.size() <= 1 && m_layout.headingHeight == m_layout.lineHeight + 2 * m_layout.padding) {
                m_painter.drawText(cellRect(c, y, m_layout.lineHeight + 2 * m_layout.padding), alignOf(c),
                                   m_definition.columns[c.column].heading);
                continue;
            }
            const qreal top = y + m_layout.headingHeight - m_layout.padding - lines.size() * m_layout.lineHeight;
            for (int i = 0; i < lines.size(); ++i)
                m_painter.drawText(cellRect(c, top + i * m_layout.lineHeight, m_layout.lineHeight), alignOf(c),
                                   lines[i]);
        }
        y += m_layout.headingHeight;
        line(y, 1, Qt::black);
        return y;
    }

    void paintRow(int row, qreal y)
    {
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_layout.isBold(row) ? m_layout.fonts.heading : m_layout.fonts.body);
        for (const BandColumn &c : *m_band) {
            const QStringList lines = m_layout.cellLines(m_table, row, c.column);
            for (int i = 0; i < lines.size(); ++i)
                m_painter.drawText(cellRect(c, y + m_layout.padding + i * m_layout.lineHeight, m_layout.lineHeight),
                                   alignOf(c), lines[i]);
        }
        line(y + m_layout.rowHeight(row), 0.3, QColor(200, 200, 200));
    }

    void paintNoRecords(qreal y)
    {
        QFont font = m_layout.fonts.body;
        font.setItalic(true);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(m_layout.padding, y, m_layout.pageWidth, m_layout.totalsHeight()),
                           Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("No records"));
    }

    void paintTotals(qreal y)
    {
        bool any = false;
        for (const BandColumn &c : *m_band)
            any = any || !m_table.totals.value(c.column).isEmpty();
        if (!any)
            return;
        line(y, 0.8, Qt::black);
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_layout.fonts.heading);
        // The caption spans every column left of the first total, so a narrow
        // first column never cuts it.
        qsizetype firstTotal = 0;
        while (firstTotal < m_band->size() && m_table.totals.value(m_band->at(firstTotal).column).isEmpty())
            ++firstTotal;
        const BandColumn &last = m_band->at(std::max(firstTotal - 1, qsizetype(0)));
        const qreal captionWidth = last.x + m_layout.columns[last.column].width - 2 * m_layout.padding;
        m_painter.drawText(QRectF(m_layout.padding, y, captionWidth, m_layout.totalsHeight()),
                           Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Total"));
        for (const BandColumn &c : *m_band)
            if (!m_table.totals.value(c.column).isEmpty())
                m_painter.drawText(cellRect(c, y, m_layout.totalsHeight()), alignOf(c), m_table.totals[c.column]);
    }

    void paintFooter(int index)
    {
        const qreal h = QFontMetricsF(m_layout.fonts.footer, m_painter.device()).lineSpacing();
        const qreal y = m_layout.pageHeight - h;
        m_painter.setPen(QPen(QColor(120, 120, 120), 0.5 * m_layout.unit));
        m_painter.drawLine(QPointF(0, y - 3 * m_layout.unit), QPointF(m_layout.pageWidth, y - 3 * m_layout.unit));
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_layout.fonts.footer);
        m_painter.drawText(QRectF(0, y, m_layout.pageWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                           QStringLiteral("Printed on %1").arg(m_printedOn));
        m_painter.drawText(QRectF(0, y, m_layout.pageWidth, h), Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("Page %1 of %2").arg(index + 1).arg(m_layout.pages.size()));
    }

    QPainter &m_painter;
    const ReportLayout &m_layout;
    const ReportDefinition &m_definition;
    const ReportTable &m_table;
    QString m_printedOn;
    const QList<BandColumn> *m_band = nullptr; // the columns of the page being painted
};

// Renders on device; cannotStart is the message when the device cannot be
// painted on at all (no printer, an unwritable file).
RenderResult render(QPagedPaintDevice &device, const PrintedReport &report, const ReportPrintInfo &info,
                    const QString &cannotStart)
{
    RenderResult result;
    const ReportLayout layout(device, report.definition, report.table);
    const QDate printedOn = info.printedOn.isValid() ? info.printedOn : QDate::currentDate();

    QPainter painter;
    if (!painter.begin(&device)) {
        result.error = cannotStart;
        return result;
    }
    PagePainter pages(painter, layout, report.definition, report.table, formatReportDate(printedOn, info.dateFormat));
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

RenderResult renderPdf(QPdfWriter &writer, const ReportData &data, const ReportPrintInfo &info,
                       const QString &cannotStart)
{
    const PrintedReport report = printedReport(data, info.dateFormat);
    writer.setCreator(QStringLiteral("Brindlecot"));
    writer.setTitle(report.definition.title);
    writer.setResolution(300);
    return render(writer, report, info, cannotStart);
}

} // namespace

RenderResult renderReport(QPagedPaintDevice &device, const ReportData &data, const ReportPrintInfo &info)
{
    return render(device, printedReport(data, info.dateFormat), info,
                  QStringLiteral("The printer could not be started."));
}

RenderResult renderReportToPdf(const QString &path, const ReportData &data, const ReportPrintInfo &info)
{
    QPdfWriter writer(path);
    return renderPdf(writer, data, info, QStringLiteral("The file \"%1\" could not be written.").arg(path));
}

RenderResult renderReportToPdf(QIODevice &device, const ReportData &data, const ReportPrintInfo &info)
{
    QPdfWriter writer(&device);
    return renderPdf(writer, data, info, QStringLiteral("The PDF could not be written."));
}

} // namespace bc
