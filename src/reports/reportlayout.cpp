#include "reportlayout.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QTextLayout>
#include <algorithm>
#include <numeric>

namespace bc {

namespace {

constexpr qreal MarginMm = 15;

QFont reportFont(qreal points, bool bold = false, bool italic = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Letters are set one glyph each, never joined into ligatures, so text
    // copied or searched in a PDF reads "Office" and not "O\uFB03ce".
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QPageLayout a4(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                       QPageLayout::Millimeter);
}

// Wraps text to width at word boundaries, or anywhere inside a word too long
// for the width; more than maxLines lines end in an elided last line.
QStringList wrapText(const QString &text, const QFont &font, const QPaintDevice &device, qreal width, int maxLines)
{
    QTextLayout layout(text, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    int consumed = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            consumed = line.textStart();
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
        consumed = line.textStart() + line.textLength();
    }
    layout.endLayout();
    if (consumed < text.size()) {
        const QFontMetricsF metrics(font, &device);
        lines << metrics.elidedText(text.mid(consumed).trimmed(), Qt::ElideRight, width);
    }
    return lines;
}

} // namespace

ReportFonts ReportFonts::standard()
{
    return {reportFont(14, true), reportFont(9, true), reportFont(9), reportFont(9, true), reportFont(8)};
}

ReportLayout::ReportLayout(QPagedPaintDevice &device, const ReportDefinition &definition, const ReportTable &table)
    : fonts(ReportFonts::standard())
    , m_columnCount(int(definition.columns.size()))
{
    const qreal dpi = device.logicalDpiX();
    unit = dpi / 72.0;
    padding = 4 * unit;
    const QList<qreal> natural = naturalWidths(device, definition, table);
    const qreal needed = std::accumulate(natural.begin(), natural.end(), qreal(0));
    const qreal portraitWidth = a4(QPageLayout::Portrait).paintRect(QPageLayout::Point).width() * unit;
    const QPageLayout page = a4(needed <= portraitWidth ? QPageLayout::Portrait : QPageLayout::Landscape);
    device.setPageLayout(page);
    const QRectF area = page.paintRect(QPageLayout::Point);
    pageWidth = area.width() * unit;
    pageHeight = area.height() * unit;

    lineHeight = QFontMetricsF(fonts.body, &device).lineSpacing();
    const qreal titleHeight = QFontMetricsF(fonts.title, &device).lineSpacing();
    const qreal labelHeight = QFontMetricsF(fonts.label, &device).lineSpacing();
    const qreal parameters = definition.parameterLabels.size() * labelHeight;
    headerHeight = titleHeight + 6 * unit + parameters + (parameters > 0 ? 8 * unit : 0) + lineHeight + 2 * padding;
    footerHeight = 8 * unit + QFontMetricsF(fonts.footer, &device).lineSpacing();

    placeColumns(definition, natural);
    measureRows(device, table);
    paginate(table);
}

QList<qreal> ReportLayout::naturalWidths(const QPaintDevice &device, const ReportDefinition &definition,
                                         const ReportTable &table) const
{
    const QFontMetricsF body(fonts.body, &device);
    const QFontMetricsF heading(fonts.heading, &device);
    QList<qreal> widths;
    for (int c = 0; c < m_columnCount; ++c) {
        qreal w = std::max(heading.horizontalAdvance(definition.columns[c].heading),
                           heading.horizontalAdvance(table.totals.value(c)));
        for (const QStringList &row : table.rows)
            w = std::max(w, body.horizontalAdvance(row[c]));
        widths << std::ceil(w + 2 * padding);
    }
    return widths;
}

void ReportLayout::placeColumns(const ReportDefinition &definition, const QList<qreal> &natural)
{
    QList<int> flexible;
    qreal fixedWidth = 0;
    for (int c = 0; c < m_columnCount; ++c) {
        if (definition.columns[c].flexible)
            flexible << c;
        else
            fixedWidth += natural[c];
    }
    QList<qreal> widths = natural;
    const qreal available = std::max(pageWidth - fixedWidth, qreal(0));
    qreal flexNatural = 0;
    for (int c : flexible)
        flexNatural += natural[c];
    if (flexNatural <= available) {
        // Spare width goes to the long texts in proportion to their widths.
        for (int c : flexible)
            widths[c] = natural[c] + (available - flexNatural) * natural[c] / std::max(flexNatural, qreal(1));
    } else {
        // Too wide: narrow columns keep their width, the widest share the rest.
        QList<int> order = flexible;
        std::sort(order.begin(), order.end(), [&](int a, int b) { return natural[a] < natural[b]; });
        qreal remaining = available;
        for (int i = 0; i < order.size(); ++i) {
            const qreal share = remaining / qreal(order.size() - i);
            widths[order[i]] = std::min(natural[order[i]], share);
            remaining -= widths[order[i]];
        }
    }
    qreal x = 0;
    for (int c = 0; c < m_columnCount; ++c) {
        columns << PlacedColumn{x, widths[c], definition.columns[c].kind != ReportColumn::Kind::Text};
        x += widths[c];
    }
}

void ReportLayout::measureRows(const QPaintDevice &device, const ReportTable &table)
{
    const QFontMetricsF body(fonts.body, &device);
    const qreal pageRoom = pageHeight - headerHeight - footerHeight - 2 * padding;
    const int maxLines = std::max(1, int(pageRoom / lineHeight));
    m_rowHeights.reserve(size_t(table.rows.size()));
    for (int r = 0; r < table.rows.size(); ++r) {
        qsizetype lines = 1;
        for (int c = 0; c < m_columnCount; ++c) {
            const QString &text = table.rows[r][c];
            const qreal room = columns[c].width - 2 * padding;
            if (text.isEmpty() || body.horizontalAdvance(text) <= room)
                continue;
            const QStringList wrapped = wrapText(text, fonts.body, device, room, maxLines);
            lines = std::max(lines, wrapped.size());
            m_wrapped.insert(qint64(r) * m_columnCount + c, wrapped);
        }
        m_rowHeights.push_back(qreal(lines) * lineHeight + 2 * padding);
    }
}

void ReportLayout::paginate(const ReportTable &table)
{
    const qreal room = pageHeight - headerHeight - footerHeight;
    const int rows = int(table.rows.size());
    int first = 0;
    qreal used = 0;
    for (int r = 0; r < rows; ++r) {
        if (used + rowHeight(r) > room && r > first) {
            pages << ReportPage{first, r, false};
            first = r;
            used = 0;
        }
        used += rowHeight(r);
    }
    // An empty report still prints one line saying so.
    if (rows == 0)
        used = totalsHeight();
    // Totals that do not fit below the last row take that row along to a new
    // page, so they never stand alone under the headings.
    if (used + totalsHeight() > room && rows > first) {
        const int split = rows - first > 1 ? rows - 1 : rows;
        pages << ReportPage{first, split, false};
        first = split;
    }
    pages << ReportPage{first, rows, true};
}

QStringList ReportLayout::cellLines(const ReportTable &table, int row, int column) const
{
    const auto it = m_wrapped.constFind(qint64(row) * m_columnCount + column);
    return it != m_wrapped.cend() ? *it : QStringList{table.rows[row][column]};
}

} // namespace bc
