#include "ofxreader.h"

#include "ofxvalues.h"
#include "textencoding.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <vector>

namespace bc {

namespace {

// Entities a bank may write in element text; any other '&' stands for
// itself, as OFX 1.x files often leave it.
QString decodedEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    static const QHash<QString, QChar> named{{QStringLiteral("amp"), u'&'},   {QStringLiteral("lt"), u'<'},
                                             {QStringLiteral("gt"), u'>'},    {QStringLiteral("quot"), u'"'},
                                             {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0x00A0)}};
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semicolon = text[i] == u'&' ? text.indexOf(u';', i) : -1;
        if (semicolon > i + 1 && semicolon - i <= 10) {
            const QStringView name = text.mid(i + 1, semicolon - i - 1);
            bool ok = false;
            uint code = 0;
            if (name.startsWith(u'#'))
                code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                               : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
                i = semicolon;
                continue;
            }
            if (const auto found = named.find(name.toString().toLower()); found != named.end()) {
                out += *found;
                i = semicolon;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// One transaction's elements as written, before they are read.
struct PendingLine {
    QString where;
    QHash<QString, QString> fields;
};

// Walks the elements of an OFX body, SGML (closing tags optional for
// elements that hold text) or XML alike, and gathers the statement.
class OfxParser {
public:
    explicit OfxParser(const QString &text)
        : m_text(text)
    {
    }

    Statement run()
    {
        qsizetype at = m_text.indexOf(QLatin1String("<OFX>"), 0, Qt::CaseInsensitive);
        if (at < 0)
            throw StatementError(QStringLiteral("the file"), QStringLiteral("there is no <OFX> element"));
        while (at >= 0 && at < m_text.size())
            at = readTag(at);
        if (!m_open.empty())
            throw StatementError(QStringLiteral("the file"),
                                 QStringLiteral("it ends inside <%1>: it may have been cut short").arg(m_open.back()));
        if (!m_sawStatement || !m_sawAccount)
            throw StatementError(QStringLiteral("the file"),
                                 QStringLiteral("holds no bank statement that can be read (STMTRS)"));
        return std::move(m_statement);
    }

private:
    const QString &m_text;
    std::vector<QString> m_open; // the aggregates the walk is inside
    QString m_lastElement; // an element just given its text, whose closing tag may follow
    std::optional<PendingLine> m_line;
    Statement m_statement;
    bool m_sawStatement = false;
    bool m_sawAccount = false;

    QString parent() const { return m_open.empty() ? QString() : m_open.back(); }

    // Reads the tag at at and the text after it; returns where the next tag
    // starts, or -1 at the end.
    qsizetype readTag(qsizetype at)
    {
        if (m_text.mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = m_text.indexOf(QLatin1String("-->"), at + 4);
            return end < 0 ? -1 : m_text.indexOf(u'<', end + 3);
        }
        const qsizetype end = m_text.indexOf(u'>', at);
        if (end < 0)
            throw StatementError(QStringLiteral("the file"), QStringLiteral("it ends inside a tag"));
        QStringView tag = QStringView(m_text).mid(at + 1, end - at - 1).trimmed();
        const qsizetype next = m_text.indexOf(u'<', end + 1);
        const QStringView after = QStringView(m_text).mid(end + 1, (next < 0 ? m_text.size() : next) - end - 1);
        if (tag.startsWith(u'?') || tag.startsWith(u'!'))
            return next;
        if (tag.startsWith(u'/')) {
            close(tag.mid(1).trimmed().toString().toUpper());
            return next;
        }
        const bool empty = tag.endsWith(u'/');
        const QString name = (empty ? tag.chopped(1).trimmed() : tag).toString().toUpper();
        const QStringView value = after.trimmed();
        if (empty || !value.isEmpty()) {
            element(name, empty ? QString() : decodedEntities(value));
            m_lastElement = empty ? QString() : name;
        } else {
            open(name);
            m_lastElement.clear();
        }
        return next;
    }

    void open(const QString &name)
    {
        if (name == QLatin1String("STMTRS") || name == QLatin1String("CCSTMTRS"))
            m_sawStatement = true;
        if (name == QLatin1String("STMTTRN") && parent() == QLatin1String("BANKTRANLIST")) {
            m_line.emplace();
            m_line->where = QStringLiteral("STMTTRN %1").arg(m_statement.lines.size() + 1);
        }
        m_open.push_back(name);
    }

    void close(const QString &name)
    {
        if (name == m_lastElement) {
            m_lastElement.clear();
            return;
        }
        m_lastElement.clear();
        auto found = std::find(m_open.rbegin(), m_open.rend(), name);
        if (found == m_open.rend())
            throw StatementError(QStringLiteral("the file"),
                                 QStringLiteral("</%1> closes no element that is open").arg(name));
        // SGML lets an aggregate's end close the aggregates left open in it.
        while (m_open.back() != name)
            closed(takeLast());
        closed(takeLast());
    }

    QString takeLast()
    {
        QString name = std::move(m_open.back());
        m_open.pop_back();
        return name;
    }

    void closed(const QString &name)
    {
        if (name == QLatin1String("STMTTRN") && m_line && parent() == QLatin1String("BANKTRANLIST")) {
            m_statement.lines.push_back(lineOf(*m_line));
            m_line.reset();
        }
    }

    void element(const QString &name, const QString &value)
    {
        const QString in = parent();
        if (in == QLatin1String("STMTTRN") && m_line) {
            m_line->fields.insert(name, value);
        } else if (in == QLatin1String("PAYEE") && m_line && name == QLatin1String("NAME")) {
            if (!m_line->fields.contains(name))
                m_line->fields.insert(name, value);
        } else if (name == QLatin1String("ACCTID")
                   && (in == QLatin1String("BANKACCTFROM") || in == QLatin1String("CCACCTFROM"))) {
            account(value);
        } else if (name == QLatin1String("CURDEF")
                   && (in == QLatin1String("STMTRS") || in == QLatin1String("CCSTMTRS"))) {
            if (m_statement.currency.isEmpty())
                m_statement.currency = value;
        } else if (in == QLatin1String("BANKTRANLIST") && name == QLatin1String("DTSTART")) {
            m_statement.periodStart = dateOf(value, QStringLiteral("BANKTRANLIST/DTSTART"));
        } else if (in == QLatin1String("BANKTRANLIST") && name == QLatin1String("DTEND")) {
            m_statement.periodEnd = dateOf(value, QStringLiteral("BANKTRANLIST/DTEND"));
        } else if (in == QLatin1String("LEDGERBAL") && name == QLatin1String("BALAMT")) {
            m_statement.closingBalance = amountOf(value, QStringLiteral("LEDGERBAL/BALAMT"));
        }
    }

    void account(const QString &identity)
    {
        if (m_sawAccount && identity != m_statement.accountIdentity)
            throw StatementError(QStringLiteral("ACCTID"),
                                 QStringLiteral("the file holds statements of more than one account (%1 and %2)")
                                     .arg(m_statement.accountIdentity, identity));
        m_sawAccount = true;
        m_statement.accountIdentity = identity;
    }

    static QDate dateOf(const QString &text, const QString &where)
    {
        const QDate date = ofxDate(text);
        if (!date.isValid())
            throw StatementError(where, QStringLiteral("\"%1\" is not an OFX date").arg(text));
        return date;
    }

    static Money amountOf(const QString &text, const QString &where)
    {
        const auto amount = ofxAmount(text);
        if (!amount)
            throw StatementError(where, QStringLiteral("\"%1\" is not an OFX amount").arg(text));
        return *amount;
    }

    static StatementLine lineOf(const PendingLine &pending)
    {
        for (const char *required : {"TRNTYPE", "DTPOSTED", "TRNAMT", "FITID"})
            if (!pending.fields.contains(QLatin1String(required)))
                throw StatementError(pending.where + u'/' + QLatin1String(required), QStringLiteral("missing"));
        StatementLine line;
        line.where = pending.where;
        line.date = dateOf(pending.fields.value(QStringLiteral("DTPOSTED")),
                           pending.where + QStringLiteral("/DTPOSTED"));
        line.amount = amountOf(pending.fields.value(QStringLiteral("TRNAMT")),
                               pending.where + QStringLiteral("/TRNAMT"));
        line.uniqueId = pending.fields.value(QStringLiteral("FITID"));
        line.payee = pending.fields.value(QStringLiteral("NAME"));
        line.memo = pending.fields.value(QStringLiteral("MEMO"));
        line.number = pending.fields.value(QStringLiteral("CHECKNUM"));
        return line;
    }
};

} // namespace

Statement readOfxStatement(const QByteArray &data)
{
    // The header's ENCODING and CHARSET are often wrong: the bytes decide,
    // UTF-8 where they are UTF-8, else Windows-1252.
    const QString text = decodeStatementText(data, TextEncoding::Utf8);
    return OfxParser(text).run();
}

} // namespace bc
