#include "csv.h"

#include "textencoding.h"

namespace bc {

namespace {

// A small state machine over the decoded text, one character at a time.
class CsvParser {
public:
    CsvParser(const QString &text, QChar delimiter)
        : m_text(text)
        , m_delimiter(delimiter)
    {
    }

    CsvReadResult run()
    {
        while (m_pos < m_text.size() && m_result.ok())
            readRecord();
        return std::move(m_result);
    }

private:
    const QString &m_text;
    const QChar m_delimiter;
    qsizetype m_pos = 0;
    int m_line = 1;
    CsvReadResult m_result;

    QChar peek() const { return m_pos < m_text.size() ? m_text[m_pos] : QChar(); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    static bool isBreak(QChar c) { return c == u'\n' || c == u'\r'; }

    // Consumes one line break (CRLF, LF or CR) at the current position.
    void skipBreak()
    {
        if (peek() == u'\r')
            ++m_pos;
        if (peek() == u'\n')
            ++m_pos;
        ++m_line;
    }

    void fail(const QString &why, int line)
    {
        m_result.error = why;
        m_result.errorLine = line;
    }

    void readRecord()
    {
        CsvRecord record;
        record.line = m_line;
        if (isBreak(peek())) { // a blank line holds no record
            skipBreak();
            return;
        }
        for (;;) {
            QString field;
            if (!(peek() == u'"' ? readQuoted(field) : readPlain(field)))
                return;
            record.fields << field;
            if (atEnd())
                break;
            if (peek() == m_delimiter) {
                ++m_pos;
                continue;
            }
            skipBreak();
            break;
        }
        m_result.records << record;
    }

    bool readPlain(QString &field)
    {
        const qsizetype start = m_pos;
        while (!atEnd() && peek() != m_delimiter && !isBreak(peek())) {
            if (peek() == u'"') {
                fail(QStringLiteral("a quote inside a field that does not begin with a quote"), m_line);
                return false;
            }
            ++m_pos;
        }
        field = m_text.mid(start, m_pos - start);
        return true;
    }

    bool readQuoted(QString &field)
    {
        const int startLine = m_line;
        ++m_pos; // the opening quote
        for (;;) {
            if (atEnd()) {
                fail(QStringLiteral("a quoted field is not closed"), startLine);
                return false;
            }
            const QChar c = m_text[m_pos];
            if (c == u'"') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'"') {
                    field += u'"';
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == u'\r' || c == u'\n') {
                // A break inside quotes belongs to the field; count its line.
                const bool crlf = c == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n';
                field += crlf ? QStringLiteral("\r\n") : QString(c);
                m_pos += crlf ? 2 : 1;
                ++m_line;
                continue;
            }
            field += c;
            ++m_pos;
        }
        if (!atEnd() && peek() != m_delimiter && !isBreak(peek())) {
            fail(QStringLiteral("text after the closing quote of a field"), m_line);
            return false;
        }
        return true;
    }
};

// Whether a spreadsheet would take text for a formula, looking past the
// apostrophes that protect it.
bool readAsFormula(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u'\'')
        ++i;
    if (i == text.size())
        return false;
    const QChar c = text[i];
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

} // namespace

QString protectedCell(const QString &text)
{
    return readAsFormula(text) ? QStringLiteral("'") + text : text;
}

QString unprotectedCell(const QString &cell)
{
    return cell.startsWith(u'\'') && readAsFormula(cell) ? cell.mid(1) : cell;
}

CsvReadResult readCsv(const QByteArray &data)
{
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (const qsizetype bad = firstInvalidUtf8(bytes); bad >= 0) {
        CsvReadResult refused;
        refused.error = QStringLiteral("the text is not UTF-8");
        refused.errorLine = int(qMin<qsizetype>(bytes.left(bad).count('\n') + 1, INT_MAX));
        return refused;
    }
    return readCsvText(QString::fromUtf8(bytes), u',');
}

CsvReadResult readCsvText(const QString &text, QChar delimiter)
{
    return CsvParser(text, delimiter).run();
}

QString csvField(const QString &value)
{
    // A leading byte-order mark is quoted too: at the start of a file the
    // reader would take it for the file's own and drop it.
    bool quote = !value.isEmpty()
        && (value.front().isSpace() || value.back().isSpace() || value.front() == QChar(0xFEFF));
    for (const QChar c : value)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            quote = true;
    if (!quote)
        return value;
    QString out = value;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString csvLine(const QStringList &fields)
{
    // A lone empty field written bare would be a blank line, which the
    // reader skips: quoted, the record survives.
    if (fields.size() == 1 && fields[0].isEmpty())
        return QStringLiteral("\"\"\r\n");
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += csvField(fields[i]);
    }
    return line + QStringLiteral("\r\n");
}

} // namespace bc
