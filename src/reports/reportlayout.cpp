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
constexpr qreal MinFontScale = 0.6; // of the standard body and heading sizes
constexpr qreal MinFlexibleWidth = 100; // points a long text keeps before the type is made smaller

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
    , m_boldRows(table.boldRows.cbegin(), table.boldRows.cend())
    , m_columnCount(int(definition.columns.size()))
{
    const qreal dpi = device.logicalDpiX();
    unit = dpi / 72.0;
    padding = 4 * unit;
    QList<qreal> natural = naturalWidths(device, definition, table);
    const qreal needed = std::accumulate(natural.begin(), natural.end(), qreal(0));
    const qreal portraitWidth = a4(QPageLayout::Portrait).paintRect(QPageLayout::Point).width() * unit;
    const QPageLayout page = a4(needed <= portraitWidth ? QPageLayout::Portrait : QPageLayout::Landscape);
    device.setPageLayout(page);
    const QRectF area = page.paintRect(QPageLayout::Point);
    pageWidth = area.width() * unit;
    pageHeight = area.height() * unit;

    // Headings that may wrap stay on one line where the page has the room.
    if (const QList<qreal> whole = naturalWidths(device, definition, table, true);
        narrowestWidth(definition, whole) <= pageWidth)
        natural = whole;

    // Columns that do not fit across a landscape page even with the long
    // texts narrowed are set in smaller type, step by step, down to a size
    // that still reads on paper.
    const ReportFonts standard = ReportFonts::standard();
    for (qreal scale = 0.95; scale >= MinFontScale && narrowestWidth(definition, natural) > pageWidth; scale -= 0.05) {
        fonts.body.setPointSizeF(standard.body.pointSizeF() * scale);
        fonts.heading.setPointSizeF(standard.heading.pointSizeF() * scale);
        padding = 4 * unit * scale;
        natural = naturalWidths(device, definition, table);
    }
    // Still too wide: a report that may be split keeps its standard type and
    // goes across pages in bands of columns.
    const bool split = definition.repeatedColumns > 0 && narrowestWidth(definition, natural) > pageWidth;
    if (split) {
        fonts = standard;
        padding = 4 * unit;
        natural = naturalWidths(device, definition, table, true);
    }

    lineHeight = QFontMetricsF(fonts.body, &device).lineSpacing();
    const qreal titleHeight = QFontMetricsF(fonts.title, &device).lineSpacing();
    const qreal labelHeight = QFontMetricsF(fonts.label, &device).lineSpacing();
    const qreal parameters = definition.parameterLabels.size() * labelHeight;

    if (split) {
        splitIntoBands(definition, natural);
    } else {
        placeColumns(definition, natural);
        QList<BandColumn> all;
        for (int c = 0; c < m_columnCount; ++c)
            all << BandColumn{c, columns[c].x};
        bands << all;
    }
    wrapHeadings(device, definition);
    qsizetype headingRows = 1;
    for (const QStringList &lines : std::as_const(m_headings))
        headingRows = std::max(headingRows, lines.size());
    const qreal extraHeadingLines = qreal(headingRows - 1) * lineHeight;
    headingHeight = lineHeight + 2 * padding + extraHeadingLines;
    headerHeight = titleHeight + 6 * unit + parameters + (parameters > 0 ? 8 * unit : 0) + lineHeight + 2 * padding
        + extraHeadingLines;
    footerHeight = 8 * unit + QFontMetricsF(fonts.footer, &device).lineSpacing();

    measureRows(device, table);
    paginate(table);
}

qreal ReportLayout::narrowestWidth(const ReportDefinition &definition, const QList<qreal> &natural) const
{
    qreal width = 0;
    for (int c = 0; c < m_columnCount; ++c)
        width += definition.columns[c].flexible ? std::min(natural[c], MinFlexibleWidth * unit) : natural[c];
    return width;
}

void ReportLayout::wrapHeadings(const QPaintDevice &device, const ReportDefinition &definition)
{
    const QFontMetricsF heading(fonts.heading, &device);
    for (int c = 0; c < m_columnCount; ++c) {
        const QString &text = definition.columns[c].heading;
        const qreal room = columns[c].width - 2 * padding;
        m_headings << (definition.columns[c].wrapHeading && heading.horizontalAdvance(text) > room
                           ? wrapText(text, fonts.heading, device, room, 3)
                           : QStringList{text});
    }
}

QList<qreal> ReportLayout::naturalWidths(const QPaintDevice &device, const ReportDefinition &definition,
                                         const ReportTable &table, bool wholeHeadings) const
{
    const QFontMetricsF body(fonts.body, &device);
    const QFontMetricsF heading(fonts.heading, &device);
    QList<qreal> widths;
    for (int c = 0; c < m_columnCount; ++c) {
        const ReportColumn &column = definition.columns[c];
        qreal headingWidth = 0;
        if (column.wrapHeading && !wholeHeadings) {
            for (const QString &word : column.heading.split(u' ', Qt::SkipEmptyParts))
                headingWidth = std::max(headingWidth, heading.horizontalAdvance(word));
        } else {
            headingWidth = heading.horizontalAdvance(column.heading);
        }
        qreal w = std::max(headingWidth, heading.horizontalAdvance(table.totals.value(c)));
        for (int r = 0; r < table.rows.size(); ++r)
            w = std::max(w, (isBold(r) ? heading : body).horizontalAdvance(table.rows[r][c]));
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

void ReportLayout::splitIntoBands(const ReportDefinition &definition, const QList<qreal> &natural)
{
    const int repeated = std::min(definition.repeatedColumns, m_columnCount);
    // The repeated columns take at most a third of the page, so that every
    // band has room for figures; a long text there wraps.
    QList<qreal> widths = natural;
    qreal repeatedWidth = 0;
    for (int c = 0; c < repeated; ++c) {
        if (definition.columns[c].flexible)
            widths[c] = std::min(widths[c], std::max(pageWidth / 3 - repeatedWidth, MinFlexibleWidth * unit));
        repeatedWidth += widths[c];
    }
    qreal x = 0;
    for (int c = 0; c < m_columnCount; ++c) {
        columns << PlacedColumn{c < repeated ? x : 0, widths[c],
                                definition.columns[c].kind != ReportColumn::Kind::Text};
        if (c < repeated)
            x += widths[c];
    }
    const int group = std::max(definition.columnGroup, 1);
    QList<BandColumn> band;
    const auto startBand = [&] {
        band.clear();
        for (int c = 0; c < repeated; ++c)
            band << BandColumn{c, columns[c].x};
        x = repeatedWidth;
    };
    startBand();
    for (int first = repeated; first < m_columnCount; first += group) {
        const int end = std::min(first + group, m_columnCount);
        qreal groupWidth = 0;
        for (int c = first; c < end; ++c)
            groupWidth += widths[c];
        // A group wider than the room left starts a new band; one wider than
        // a whole band's room goes alone.
        if (x + groupWidth > pageWidth && band.size() > repeated) {
            bands << band;
            startBand();
        }
        for (int c = first; c < end; ++c) {
            band << BandColumn{c, x};
            x += widths[c];
        }
    }
    if (band.size() > repeated || bands.isEmpty())
        bands << band;
}

void ReportLayout::measureRows(const QPaintDevice &device, const ReportTable &table)
{
    const QFontMetricsF body(fonts.body, &device);
    const QFontMetricsF bolder(fonts.heading, &device);
    const qreal pageRoom = pageHeight - headerHeight - footerHeight - 2 * padding;
    const int maxLines = std::max(1, int(pageRoom / lineHeight));
    m_rowHeights.reserve(size_t(table.rows.size()));
    for (int r = 0; r < table.rows.size(); ++r) {
        qsizetype lines = 1;
        for (int c = 0; c < m_columnCount; ++c) {
            const QString &text = table.rows[r][c];
            const qreal room = columns[c].width - 2 * padding;
            const bool bold = isBold(r);
            if (text.isEmpty() || (bold ? bolder : body).horizontalAdvance(text) <= room)
                continue;
            const QStringList wrapped = wrapText(text, bold ? fonts.heading : fonts.body, device, room, maxLines);
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
    // Every band prints the same rows on pages of its own, one band after
    // the other.
    const QList<ReportPage> rowPages = pages;
    for (int band = 1; band < bands.size(); ++band)
        for (ReportPage page : rowPages) {
            page.band = band;
            pages << page;
        }
}

QStringList ReportLayout::cellLines(const ReportTable &table, int row, int column) const
{
    const auto it = m_wrapped.constFind(qint64(row) * m_columnCount + column);
    return it != m_wrapped.cend() ? *it : QStringList{table.rows[row][column]};
}

} // namespace bc
