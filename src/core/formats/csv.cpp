#include "csv.h"

#include "textencoding.h"

#include <QBuffer>
#include <QIODevice>

namespace bc {

// A small state machine over the decoded text, one character at a time,
// refilling its block from the device as it goes. A record's text stays in
// the block until the record is read, so fields can be cut from it.
class CsvReader::Parser {
public:
    Parser(QIODevice &device, QChar delimiter)
        : m_device(device)
        , m_delimiter(delimiter)
    {
    }

    bool next(CsvRecord &record)
    {
        for (;;) {
            if (m_pos >= BlockBytes) { // the records read so far leave the block
                m_text.remove(0, m_pos);
                m_pos = 0;
            }
            if (!m_error.isEmpty())
                return false;
            if (atEnd()) {
                takeDecodeError();
                return false;
            }
            record = CsvRecord();
            const bool read = readRecord(record);
            // Text cut short by bytes that are not UTF-8 (or by a device
            // that failed) is refused for those, whatever its records say.
            if (takeDecodeError())
                return false;
            if (read)
                return true;
            if (!m_error.isEmpty())
                return false;
        }
    }

    QString error() const { return m_error; }
    int errorLine() const { return m_errorLine; }
    qint64 bytesRead() const { return m_bytesRead; }

private:
    static constexpr qint64 BlockBytes = 1 << 16;

    QIODevice &m_device;
    const QChar m_delimiter;
    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    QByteArray m_pending; // the start of a character the next block completes
    qint64 m_bytesRead = 0;
    qint64 m_newlines = 0; // line feeds in the bytes decoded so far
    bool m_deviceDone = false;
    bool m_bomChecked = false;
    QString m_error;
    int m_errorLine = 0;
    QString m_decodeError;
    int m_decodeErrorLine = 0;

    // Whether n characters from the current one are in the block, reading
    // further blocks as needed.
    bool available(qsizetype n)
    {
        if (m_text.size() - m_pos >= n)
            return true;
        while (m_text.size() - m_pos < n) {
            if (m_deviceDone)
                return false;
            readBlock();
        }
        return true;
    }

    void readBlock()
    {
        QByteArray block(BlockBytes, Qt::Uninitialized);
        const qint64 got = m_device.read(block.data(), BlockBytes);
        if (got < 0) { // a fault of the device is no end of the text
            m_decodeError = QStringLiteral("the text cannot be read: %1").arg(m_device.errorString());
            m_decodeErrorLine = int(qMin<qint64>(m_newlines + 1, INT_MAX));
            m_deviceDone = true;
            return;
        }
        block.truncate(got);
        m_bytesRead += got;
        m_deviceDone = got == 0;
        QByteArray bytes = m_pending + block;
        m_pending.clear();
        if (!m_bomChecked) {
            if (bytes.size() < 3 && !m_deviceDone) {
                m_pending = bytes; // too short to tell a byte-order mark yet
                return;
            }
            m_bomChecked = true;
            if (bytes.startsWith("\xEF\xBB\xBF"))
                bytes.remove(0, 3);
        }
        if (!m_deviceDone) {
            const qsizetype cut = completeLength(bytes);
            m_pending = bytes.mid(cut);
            bytes.truncate(cut);
        }
        if (const qsizetype bad = firstInvalidUtf8(bytes); bad >= 0) {
            m_decodeError = QStringLiteral("the text is not UTF-8");
            m_decodeErrorLine = int(qMin<qint64>(m_newlines + bytes.left(bad).count('\n') + 1, INT_MAX));
            bytes.truncate(bad);
            m_deviceDone = true;
        }
        m_newlines += bytes.count('\n');
        m_text += QString::fromUtf8(bytes);
    }

    // The length of bytes without a character cut short at its end.
    static qsizetype completeLength(const QByteArray &bytes)
    {
        for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
            if ((c & 0xC0) == 0x80)
                continue; // a continuation byte: look further back
            const int length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
            return length > back ? bytes.size() - back : bytes.size();
        }
        return bytes.size();
    }

    QChar peek() { return available(1) ? m_text[m_pos] : QChar(); }
    QChar peekNext() { return available(2) ? m_text[m_pos + 1] : QChar(); }
    bool atEnd() { return !available(1); }
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
        m_error = why;
        m_errorLine = line;
    }

    bool takeDecodeError()
    {
        if (m_decodeError.isEmpty())
            return false;
        fail(m_decodeError, m_decodeErrorLine);
        return true;
    }

    // Reads one record; false for a blank line or a fault.
    bool readRecord(CsvRecord &record)
    {
        record.line = m_line;
        if (isBreak(peek())) { // a blank line holds no record
            skipBreak();
            return false;
        }
        for (;;) {
            QString field;
            if (!(peek() == u'"' ? readQuoted(field) : readPlain(field)))
                return false;
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
        return true;
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
                if (peekNext() == u'"') {
                    field += u'"';
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == u'\r' || c == u'\n') {
                // A break inside quotes belongs to the field; count its line.
                const bool crlf = c == u'\r' && peekNext() == u'\n';
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

namespace {

// Every record of a whole text of UTF-8 bytes.
CsvReadResult readWhole(const QByteArray &utf8, QChar delimiter)
{
    QBuffer buffer;
    buffer.setData(utf8);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(buffer, delimiter);
    CsvReadResult result;
    for (CsvRecord record; reader.next(record);)
        result.records << std::move(record);
    result.error = reader.error();
    result.errorLine = reader.errorLine();
    return result;
}

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
    // The whole text is checked first, so that text that is not UTF-8 is
    // refused as such wherever in it the fault lies.
    const qsizetype bom = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (const qsizetype bad = firstInvalidUtf8(data.mid(bom)); bad >= 0) {
        CsvReadResult refused;
        refused.error = QStringLiteral("the text is not UTF-8");
        refused.errorLine = int(qMin<qsizetype>(data.mid(bom, bad).count('\n') + 1, INT_MAX));
        return refused;
    }
    return readWhole(data, u',');
}

CsvReader::CsvReader(QIODevice &device, QChar delimiter)
    : m_parser(std::make_unique<Parser>(device, delimiter))
{
}

CsvReader::~CsvReader() = default;

bool CsvReader::next(CsvRecord &record)
{
    return m_parser->next(record);
}

QString CsvReader::error() const
{
    return m_parser->error();
}

int CsvReader::errorLine() const
{
    return m_parser->errorLine();
}

qint64 CsvReader::bytesRead() const
{
    return m_parser->bytesRead();
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

CsvReadResult readCsvText(const QString &text, QChar delimiter)
{
    return readWhole(text.toUtf8(), delimiter);
}

} // namespace bc
