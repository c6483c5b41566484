#include "importheader.h"

#include "clierror.h"

namespace bc::cli {

ImportHeader::ImportHeader(const QList<CsvRecord> &records, const QStringList &expected)
{
    const QString wanted = expected.join(u',');
    if (records.isEmpty())
        throw refusal(QStringLiteral("the file is empty; its first line must name the columns %1").arg(wanted));
    const CsvRecord &header = records.constFirst();
    QStringList names;
    for (const QString &field : header.fields)
        names << field.trimmed().toLower();
    m_width = int(names.size());
    for (const QString &column : expected) {
        const int at = int(names.indexOf(column));
        if (at < 0 || names.count(column) > 1)
            break;
        m_positions << at;
    }
    if (m_positions.size() != expected.size() || names.size() != expected.size())
        throw refusal(
            QStringLiteral("line %1: the header must name the columns %2 (in any order)").arg(header.line).arg(wanted));
}

QStringList ImportHeader::cells(const CsvRecord &record) const
{
    if (record.fields.size() != m_width)
        throw refusal(QStringLiteral("line %1: %2 field(s) where the header names %3")
                          .arg(record.line)
                          .arg(record.fields.size())
                          .arg(m_width));
    QStringList out;
    for (const int at : m_positions)
        out << unprotectedCell(record.fields[at]);
    return out;
}

} // namespace bc::cli
