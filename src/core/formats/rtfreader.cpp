#include "rtfreader.h"

#include <QList>

#include <algorithm>
#include <string_view>
#include <utility>

namespace bc {
namespace {

// Groups nested deeper than this share the state of the deepest saved group,
// so hostile input cannot grow the stack without bound.
constexpr qsizetype kMaxDepth = 1000;
// Numeric parameters stop growing here; every use clamps them further.
constexpr long long kParamLimit = 1'000'000'000;

// Windows-1252 code points for the bytes 0x80..0x9F; the rest is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t fromCp1252(unsigned char b)
{
    return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b);
}

// Destinations whose content is not part of the visible text.
constexpr std::string_view kSkippedDestinations[] =
    {"fonttbl",   "colortbl",          "stylesheet", "info",    "pict",    "object",     "fldinst",  "header",
     "headerl",   "headerr",           "headerf",    "footer",  "footerl", "footerr",    "footerf",  "footnote",
     "listtable", "listoverridetable", "revtbl",     "rsidtbl", "filetbl", "nonshppict", "xmlnstbl", "themedata"};

struct Symbol {
    std::string_view word;
    char16_t ch;
};
constexpr Symbol kSymbols[] = {{"bullet", 0x2022},    {"endash", 0x2013},  {"emdash", 0x2014},
                               {"lquote", 0x2018},    {"rquote", 0x2019},  {"ldblquote", 0x201C},
                               {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}};

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // 0: the viewer's own font size
    bool operator==(const CharFormat &) const = default;
};

struct GroupState {
    CharFormat fmt;
    const char *align = nullptr; // CSS text-align of the current paragraph
    int ucSkip = 1; // fallback characters that follow \uN
    bool skip = false; // inside a destination that is not shown
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
int hexValue(char c)
{
    const char lower = char(c | 0x20);
    return isDigit(c) ? c - '0' : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

class Converter {
public:
    explicit Converter(const QByteArray &rtf)
        : m_data(rtf)
    {
    }

    QString run()
    {
        while (m_pos < m_data.size()) {
            const char c = m_data[m_pos++];
            if (c == '{') {
                m_pendingSkip = 0; // fallback text of \uN never spans a group boundary
                if (m_stack.size() < kMaxDepth)
                    m_stack.append(m_state);
                else
                    ++m_overflow;
            } else if (c == '}') {
                m_pendingSkip = 0;
                if (m_overflow > 0)
                    --m_overflow;
                else if (!m_stack.isEmpty()) // a stray '}' is ignored
                    m_state = m_stack.takeLast();
            } else if (c == '\\') {
                readControl();
            } else if (c == '\r' || c == '\n' || skipFallback()) {
                // Line ends in the file are not part of the text.
            } else if (c == '\t') {
                tab();
            } else {
                text(fromCp1252(static_cast<unsigned char>(c)));
            }
        }
        if (!m_para.isEmpty())
            endParagraph();
        return m_out;
    }

private:
    // Drops one character of the fallback text that follows \uN, if any is due.
    bool skipFallback()
    {
        if (m_pendingSkip == 0)
            return false;
        --m_pendingSkip;
        return true;
    }

    // Reads what follows a backslash: a control word, a hex escape or a control symbol.
    void readControl()
    {
        const qsizetype n = m_data.size();
        if (m_pos >= n)
            return;
        const char c = m_data[m_pos++];
        if (isLetter(c)) {
            readControlWord(m_pos - 1);
        } else if (c == '\'') {
            const int hi = m_pos + 1 < n ? hexValue(m_data[m_pos]) : -1;
            const int lo = hi >= 0 ? hexValue(m_data[m_pos + 1]) : -1;
            if (lo >= 0)
                m_pos += 2;
            if (!skipFallback() && lo >= 0)
                text(fromCp1252(static_cast<unsigned char>(hi * 16 + lo)));
        } else if (!skipFallback()) {
            switch (c) {
            case '\\':
            case '{':
            case '}': text(char16_t(c)); break;
            case '~': text(0x00A0); break; // non-breaking space
            case '_': text(0x2011); break; // non-breaking hyphen
            case '*': m_state.skip = true; break; // a destination we do not know
            case '\r':
            case '\n': paragraph(); break;
            default: break; // optional hyphen (\-) and the rest: nothing to show
            }
        }
    }

    void readControlWord(qsizetype start)
    {
        const qsizetype n = m_data.size();
        while (m_pos < n && isLetter(m_data[m_pos]))
            ++m_pos;
        const std::string_view word(m_data.constData() + start, size_t(m_pos - start));
        const bool negative = m_pos + 1 < n && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1]);
        m_pos += negative;
        bool hasParam = false;
        long long param = 0;
        for (; m_pos < n && isDigit(m_data[m_pos]); ++m_pos) {
            hasParam = true;
            if (param < kParamLimit)
                param = param * 10 + (m_data[m_pos] - '0');
        }
        if (negative)
            param = -param;
        if (m_pos < n && m_data[m_pos] == ' ')
            ++m_pos; // the delimiting space belongs to the control word
        if (word == "bin") // raw binary data is never text, not even fallback text
            m_pos += std::min<qsizetype>(std::max(param, 0LL), n - m_pos);
        else if (!skipFallback())
            controlWord(word, hasParam, param);
    }

    void controlWord(std::string_view word, bool hasParam, long long param)
    {
        const bool on = !hasParam || param != 0;
        CharFormat &fmt = m_state.fmt;
        if (word == "par" || word == "sect" || word == "page" || word == "row")
            paragraph();
        else if (word == "pard")
            m_state.align = nullptr;
        else if (word == "plain")
            fmt = CharFormat{};
        else if (word == "b")
            fmt.bold = on;
        else if (word == "i")
            fmt.italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw")
            fmt.underline = on;
        else if (word == "ulnone")
            fmt.underline = false;
        else if (word == "fs")
            fmt.halfPoints = hasParam ? int(std::clamp(param, 2LL, 400LL)) : 24;
        else if (word == "uc")
            m_state.ucSkip = hasParam ? int(std::clamp(param, 0LL, 255LL)) : 1;
        else if (word == "u")
            unicode(param);
        else if (word == "tab" || word == "cell")
            tab();
        else if (word == "line")
            markup("<br/>");
        else if (word == "ql" || word == "qc" || word == "qr" || word == "qj")
            m_state.align = word == "qc" ? "center" : word == "qr" ? "right" : word == "qj" ? "justify" : nullptr;
        else if (std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word)
                 != std::end(kSkippedDestinations))
            m_state.skip = true;
        else
            for (const Symbol &s : kSymbols)
                if (s.word == word)
                    text(s.ch);
    }

    void unicode(long long code)
    {
        m_pendingSkip = m_state.ucSkip;
        if (code < 0)
            code += 65536; // values above 32767 are written as negative numbers
        const char16_t c = code >= 0 && code <= 0xFFFF ? char16_t(code) : char16_t(0xFFFD);
        // A character beyond U+FFFF arrives as two \u words; a lone half is dropped.
        const char16_t high = std::exchange(m_highSurrogate, QChar::isHighSurrogate(c) ? c : 0);
        if (!QChar::isSurrogate(c))
            text(c);
        else if (QChar::isLowSurrogate(c) && high != 0)
            text(high, c);
    }

    // Appends one character of document text (or a surrogate pair) in the current format.
    void text(char16_t c, char16_t low = 0)
    {
        m_highSurrogate = 0; // a surrogate half must be followed directly by its partner
        if (m_state.skip || c < 0x20 || c == 0x7F)
            return;
        startRun();
        switch (c) {
        case '&': m_para += QLatin1String("&amp;"); break;
        case '<': m_para += QLatin1String("&lt;"); break;
        case '>': m_para += QLatin1String("&gt;"); break;
        case '"': m_para += QLatin1String("&quot;"); break;
        case ' ':
            // HTML collapses runs of blanks; RTF keeps them.
            m_para += m_lastSpace ? QLatin1String("&nbsp;") : QLatin1String(" ");
            m_lastSpace = true;
            return;
        default:
            m_para += QChar(c);
            if (low != 0)
                m_para += QChar(low);
            break;
        }
        m_lastSpace = false;
    }

    void tab() { markup("<span style=\"white-space:pre\">&#9;</span>"); }

    void markup(const char *html)
    {
        if (m_state.skip)
            return;
        startRun();
        m_para += QLatin1String(html);
        m_lastSpace = true;
    }

    // Opens a <span> for the current format unless the open one already matches.
    void startRun()
    {
        const CharFormat &fmt = m_state.fmt;
        if (m_runOpen && m_runFormat == fmt)
            return;
        closeRun();
        m_runOpen = true;
        m_runFormat = fmt;
        if (fmt == CharFormat{})
            return;
        m_para += QLatin1String("<span style=\"");
        if (fmt.bold)
            m_para += QLatin1String("font-weight:bold;");
        if (fmt.italic)
            m_para += QLatin1String("font-style:italic;");
        if (fmt.underline)
            m_para += QLatin1String("text-decoration:underline;");
        if (fmt.halfPoints > 0)
            m_para += QStringLiteral("font-size:%1%2pt;")
                          .arg(fmt.halfPoints / 2)
                          .arg(fmt.halfPoints % 2 ? QLatin1String(".5") : QLatin1String(""));
        m_para += QLatin1String("\">");
    }

    void closeRun()
    {
        if (m_runOpen && m_runFormat != CharFormat{})
            m_para += QLatin1String("</span>");
        m_runOpen = false;
    }

    void paragraph()
    {
        if (!m_state.skip)
            endParagraph();
    }

    void endParagraph()
    {
        closeRun();
        m_out += QLatin1String("<p style=\"margin-top:0; margin-bottom:0;");
        if (m_state.align)
            m_out += QLatin1String(" text-align:") + QLatin1String(m_state.align) + u';';
        m_out += QLatin1String("\">");
        // An empty paragraph still takes up a line, as it does in the RTF.
        m_out += m_para.isEmpty() ? QStringLiteral("&nbsp;") : m_para;
        m_out += QLatin1String("</p>");
        m_para.clear();
        m_lastSpace = true;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QList<GroupState> m_stack;
    qsizetype m_overflow = 0; // '{' seen beyond kMaxDepth and not yet closed
    GroupState m_state;
    int m_pendingSkip = 0; // fallback characters still to drop after \uN
    char16_t m_highSurrogate = 0;
    QString m_out; // finished paragraphs
    QString m_para; // the paragraph being built
    bool m_runOpen = false;
    CharFormat m_runFormat;
    bool m_lastSpace = true;
};

} // namespace

QString rtfToHtml(const QByteArray &rtf)
{
    return Converter(rtf).run();
}

} // namespace bc
