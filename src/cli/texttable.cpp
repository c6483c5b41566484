#include "texttable.h"

#include "csv.h"

namespace bc::cli {

namespace {

QString flattened(QString cell)
{
    cell.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : cell)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    return cell;
}

} // namespace

QString TextTable::toCsv() const
{
    QStringList header;
    for (const Column &c : m_columns)
        header << c.csvName;
    QString out = csvLine(header);
    for (const QStringList &row : m_rows) {
        QStringList cells = row;
        for (qsizetype i = 0; i < cells.size() && i < m_columns.size(); ++i)
            if (!m_columns[i].rightAligned)
                cells[i] = protectedCell(cells[i]);
        out += csvLine(cells);
    }
    return out;
}

QString TextTable::toTable() const
{
    const qsizetype n = m_columns.size();
    QList<QStringList> lines;
    QStringList titles;
    for (const Column &c : m_columns)
        titles << c.title;
    lines << titles;
    for (const QStringList &row : m_rows) {
        QStringList cells;
        for (qsizetype i = 0; i < n; ++i)
            cells << flattened(row.value(i));
        lines << cells;
    }
    QList<qsizetype> widths(n, 0);
    for (const QStringList &cells : lines)
        for (qsizetype i = 0; i < n; ++i)
            widths[i] = qMax(widths[i], cells[i].size());

    auto render = [&](const QStringList &cells) {
        QString line;
        for (qsizetype i = 0; i < n; ++i) {
            if (i > 0)
                line += QStringLiteral("  ");
            line += m_columns[i].rightAligned ? cells[i].rightJustified(widths[i]) : cells[i].leftJustified(widths[i]);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        return line + u'\n';
    };
    QString out = render(lines.constFirst());
    QStringList dashes;
    for (qsizetype w : widths)
        dashes << QString(w, u'-');
    out += render(dashes);
    for (qsizetype r = 1; r < lines.size(); ++r)
        out += render(lines[r]);
    return out;
}

} // namespace bc::cli
