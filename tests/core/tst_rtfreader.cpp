#include "rtfreader.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <random>

using bc::rtfToHtml;

namespace {

QString html(const char *rtf)
{
    return rtfToHtml(QByteArray(rtf));
}

// The text a reader sees: tags removed, paragraphs and line breaks as '\n'.
QString plainText(const QString &fragment)
{
    QString t = fragment;
    t.replace(QLatin1String("<br/>"), QLatin1String("\n"));
    t.replace(QLatin1String("</p>"), QLatin1String("\n"));
    t.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    t.replace(QLatin1String("&nbsp;"), QString(QChar(0xA0)));
    t.replace(QLatin1String("&#9;"), QLatin1String("\t"));
    t.replace(QLatin1String("&lt;"), QLatin1String("<"));
    t.replace(QLatin1String("&gt;"), QLatin1String(">"));
    t.replace(QLatin1String("&quot;"), QLatin1String("\""));
    t.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return t;
}

QString plain(const char *rtf)
{
    return plainText(html(rtf));
}

// The style of the innermost <span> around the first occurrence of text,
// or "" when the text is not inside a styled span.
QString styleOf(const QString &fragment, const QString &text)
{
    const qsizetype at = fragment.indexOf(text);
    if (at < 0)
        return QStringLiteral("<missing>");
    const qsizetype open = fragment.lastIndexOf(QLatin1String("<span style=\""), at);
    const qsizetype close = fragment.lastIndexOf(QLatin1String("</span>"), at);
    if (open < 0 || close > open)
        return QString();
    const qsizetype from = open + 13;
    return fragment.mid(from, fragment.indexOf(QLatin1Char('"'), from) - from);
}

// Every tag the reader writes is closed, and no text character escapes as markup.
void expectWellFormed(const QString &fragment)
{
    EXPECT_EQ(fragment.count(QLatin1String("<span")), fragment.count(QLatin1String("</span>")));
    EXPECT_EQ(fragment.count(QLatin1String("<p ")), fragment.count(QLatin1String("</p>")));
    QString rest = fragment;
    rest.remove(QRegularExpression(QStringLiteral("</?(p|span)( style=\"[^\"<>]*\")?>|<br/>")));
    EXPECT_FALSE(rest.contains(QLatin1Char('<')) || rest.contains(QLatin1Char('>')));
}

} // namespace

TEST(RtfReader, CharacterFormattingFollowsControlWordsAndGroups)
{
    const QString h = html("{\\rtf1 n1 \\b b1\\b0  n2 \\i i1\\i0  \\ul u1\\ulnone  \\ul u2\\ul0  "
                           "{\\b\\i bi1}n3 \\fs21 half1\\fs48  big1\\plain  plain1}");
    EXPECT_EQ(styleOf(h, "n1"), "");
    EXPECT_EQ(styleOf(h, "b1"), "font-weight:bold;");
    EXPECT_EQ(styleOf(h, "n2"), "");
    EXPECT_EQ(styleOf(h, "i1"), "font-style:italic;");
    EXPECT_EQ(styleOf(h, "u1"), "text-decoration:underline;");
    EXPECT_EQ(styleOf(h, "u2"), "text-decoration:underline;");
    EXPECT_EQ(styleOf(h, "bi1"), "font-weight:bold;font-style:italic;");
    EXPECT_EQ(styleOf(h, "n3"), "") << "a closing brace restores the formatting";
    EXPECT_EQ(styleOf(h, "half1"), "font-size:10.5pt;") << "\\fs counts half-points";
    EXPECT_EQ(styleOf(h, "big1"), "font-size:24pt;");
    EXPECT_EQ(styleOf(h, "plain1"), "");
    expectWellFormed(h);
}

TEST(RtfReader, ParagraphsTabsAndLineBreaks)
{
    EXPECT_EQ(plain("{\\rtf1 one\\par two\\par\\par three}"), "one\ntwo\n\u00a0\nthree\n");
    EXPECT_EQ(plain("{\\rtf1 a\\tab b\\line c\\par}"), "a\tb\nc\n");
    EXPECT_EQ(plain("{\\rtf1 a\\\nb}"), "a\nb\n") << "backslash-newline is a paragraph";
    EXPECT_EQ(plain("{\\rtf1 x\r\ny}"), "xy\n") << "line ends in the file are not text";
    EXPECT_EQ(plain("{\\rtf1 a  b}"), "a \u00a0b\n") << "runs of blanks are kept";

    const QString h = html("{\\rtf1\\qc centred\\par still\\par\\pard left\\par\\qr right\\par}");
    EXPECT_EQ(h.count(QLatin1String("text-align:center;")), 2);
    EXPECT_EQ(h.count(QLatin1String("text-align:right;")), 1);
    EXPECT_TRUE(h.contains(QLatin1String("margin-bottom:0;\">left</p>")));
    EXPECT_EQ(html(""), "");
}

TEST(RtfReader, EscapesAndUnicode)
{
    EXPECT_EQ(plain("{\\rtf1 \\\\ \\{ \\}}"), "\\ { }\n");
    EXPECT_EQ(plain("{\\rtf1 caf\\'e9 \\'80\\'93q\\'94 \\'E9}"), "café €“q” é\n");
    EXPECT_EQ(plain("{\\rtf1 a\\~b\\-c\\_d}"), "a\u00a0bc\u2011d\n");
    EXPECT_EQ(plain("{\\rtf1 \\bullet\\endash\\emdash\\lquote\\rquote\\ldblquote\\rdblquote}"),
              "\u2022\u2013\u2014\u2018\u2019\u201c\u201d\n");
    EXPECT_EQ(plain("{\\rtf1 <a href=\"x\">&amp;</a>}"), "<a href=\"x\">&amp;</a>\n");
    expectWellFormed(html("{\\rtf1 <b>&</b> \"q\"}"));

    // \uN is followed by \ucN fallback characters: plain bytes, \'hh or control words.
    EXPECT_EQ(plain("{\\rtf1 \\u8364?x}"), "€x\n");
    EXPECT_EQ(plain("{\\rtf1 \\u233\\'e9x}"), "éx\n");
    EXPECT_EQ(plain("{\\rtf1\\uc2 \\u8364??x\\uc0 \\u8364?}"), "€x€?\n");
    EXPECT_EQ(plain("{\\rtf1\\uc2 \\u8364\\'80\\bullet x}"), "€x\n");
    EXPECT_EQ(plain("{\\rtf1 {\\uc3 \\u8364???}\\u8364?abc}"), "€€abc\n") << "\\uc belongs to the group";
    EXPECT_EQ(plain("{\\rtf1\\uc5 \\u8364{\\b x}y}"), "€xy\n") << "fallback ends at a brace";
    EXPECT_EQ(plain("{\\rtf1 \\u-4064?}"), QString(QChar(0xF020)) + "\n");
    EXPECT_EQ(plain("{\\rtf1 \\u-10179?\\u-8704?}"), "\U0001F600\n");
    EXPECT_EQ(plain("{\\rtf1 \\u-10179?x\\u-8704?y}"), "xy\n") << "lone surrogate halves are dropped";
    EXPECT_EQ(plain("{\\rtf1 \\u0?\\u9?ok}"), "ok\n") << "control characters are not text";
}

TEST(RtfReader, SkipsDestinationsThatAreNotText)
{
    const char *doc = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
                      "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1\\b Heading 1;}}"
                      "{\\info{\\title Secret title}{\\author Someone}}"
                      "{\\*\\generator Writer 1.0;}{\\*\\unknownthing hidden text}"
                      "{\\header header text}{\\footer footer text}"
                      "\\f0\\fs20\\viewkind4\\foo123 Visible{\\pict\\pngblip 89504e470d0a} after "
                      "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}} "
                      "{\\b bin\\bin7 {}\\x\\b0 data} end\\par}";
    const QString h = rtfToHtml(QByteArray(doc));
    EXPECT_EQ(plainText(h), "Visible after link bin data end\n");
    EXPECT_EQ(styleOf(h, "data"), "font-weight:bold;font-size:10pt;")
        << "\\bin data, braces included, is skipped without touching the group state";
    expectWellFormed(h);
    EXPECT_EQ(plain("{\\rtf1 a{\\*\\x {b}\\par c}d}"), "ad\n") << "nested groups of a skipped one";
}

TEST(RtfReader, SurvivesMalformedInput)
{
    // Unbalanced braces: stray closers are ignored, missing closers do not lose text.
    EXPECT_EQ(plain("}}}{\\rtf1 a}}} b}"), "a b\n");
    EXPECT_EQ(plain("{\\rtf1 {\\b x{\\i y"), "xy\n");
    EXPECT_EQ(styleOf(html("{\\rtf1 {\\b x}}}} y"), " y"), "");

    // Escapes cut off at the end of the input.
    for (const char *tail : {"\\", "\\'", "\\'4", "\\'zz", "\\u", "\\u-", "\\u65", "\\uc9999999999", "\\bin",
                             "\\bin99999999", "\\fs-", "\\b-"}) {
        const QByteArray rtf = QByteArray("{\\rtf1 keep ") + tail;
        EXPECT_TRUE(plainText(rtfToHtml(rtf)).startsWith(QLatin1String("keep"))) << tail;
    }

    // Parameters far beyond any sensible range are clamped, not overflowed.
    EXPECT_EQ(styleOf(html("{\\rtf1\\fs99999999999999999999 x}"), "x"), "font-size:200pt;");
    EXPECT_EQ(styleOf(html("{\\rtf1\\fs-99999999999999999999 x}"), "x"), "font-size:1pt;");
    EXPECT_EQ(plain("{\\rtf1\\u99999999999999999999?x\\u-99999999999999999?y}"), "\ufffdx\ufffdy\n");
    EXPECT_EQ(plain("{\\rtf1\\uc-5\\u8364 x\\bin-7 y}"), "€xy\n");
    EXPECT_EQ(styleOf(html("{\\rtf1\\b99999999999999 x}"), "x"), "font-weight:bold;");

    // Very deep nesting keeps its text, and closing every group restores the start state.
    const int depth = 100000;
    const QByteArray deep = QByteArray(depth, '{') + "\\b x" + QByteArray(depth, '}') + "y";
    const QString h = rtfToHtml(deep);
    EXPECT_EQ(plainText(h), "xy\n");
    EXPECT_EQ(styleOf(h, "y"), "");
}

TEST(RtfReader, RandomInputNeverBreaksTheOutput)
{
    std::mt19937 rng(20240517);
    const QByteArray syntax = "{}\\\\\\'*-~_ 0123456789abcdefuclbiparfstab\r\n\t<&>\"\x80\x93\xff";
    for (int round = 0; round < 3000; ++round) {
        QByteArray input(int(rng() % 400), '\0');
        const bool bytes = round % 3 == 0;
        for (char &c : input)
            c = bytes ? char(rng() & 0xFF) : syntax[qsizetype(rng() % unsigned(syntax.size()))];
        SCOPED_TRACE(input.toHex().toStdString());
        expectWellFormed(rtfToHtml(input));
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(RtfReader, LargeInputTakesLinearTime)
{
    // A quadratic reader would need minutes for this; a linear one a fraction of a second.
    QByteArray big = QByteArray(500000, '{');
    for (int i = 0; i < 100000; ++i)
        big += "\\b word\\b0  {\\i more} \\u8364?\\par ";
    big += QByteArray(500000, '}');
    QElapsedTimer timer;
    timer.start();
    const QString h = rtfToHtml(big);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(h.count(QLatin1String("</p>")), 100000);
}

TEST(RtfReader, ShippedReadmeShowsItsHeadings)
{
    QFile file(QStringLiteral(BRINDLECOT_README_PATH));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << BRINDLECOT_README_PATH;
    const QByteArray rtf = file.readAll();
    ASSERT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    const QString h = rtfToHtml(rtf);
    expectWellFormed(h);
    const QString text = plainText(h);
    for (const char *heading :
         {"Getting started", "Accounts Set Up", "Transactions", "Configurations", "Account Summary", "Account Ledger",
          "Charts", "Printed reports", "Dates", "Amounts", "brindlecot-cli", "Backups"})
        EXPECT_TRUE(text.contains(QLatin1String(heading))) << heading;
    // Nothing of the tables or of the markup leaks into the text.
    EXPECT_FALSE(text.contains(QLatin1Char('\\')));
    EXPECT_FALSE(text.contains(QLatin1String("Arial")));
    EXPECT_FALSE(text.contains(QLatin1Char('{')) || text.contains(QLatin1Char('}')));
    EXPECT_TRUE(h.contains(QLatin1String("font-weight:bold;")));
}
