#include "csv.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace bc;

namespace {

QList<QStringList> fields(const CsvReadResult &r)
{
    QList<QStringList> out;
    for (const CsvRecord &record : r.records)
        out << record.fields;
    return out;
}

QList<int> lines(const CsvReadResult &r)
{
    QList<int> out;
    for (const CsvRecord &record : r.records)
        out << record.line;
    return out;
}

} // namespace

TEST(Csv, ReadsQuotesDoubledQuotesAndBreaksInsideFieldsWithAnyLineEnd)
{
    const CsvReadResult r = readCsv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
                                    "\"two\r\nlines\",,\"\"\n"
                                    "\n"
                                    "last,\"lf\nonly\"\r"
                                    "x,");
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(
        fields(r),
        (QList<QStringList>{{"a", "b,c", "say \"hi\""}, {"two\r\nlines", "", ""}, {"last", "lf\nonly"}, {"x", ""}}));
    // Each record names the line it starts on, counting the breaks inside
    // quoted fields and the blank line.
    EXPECT_EQ(lines(r), (QList<int>{1, 2, 5, 7}));
}

TEST(Csv, DropsALeadingByteOrderMarkAndTakesAFinalRecordWithoutABreak)
{
    const CsvReadResult r = readCsv("\xEF\xBB\xBFname,type\nCaf\xC3\xA9,1");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(fields(r), (QList<QStringList>{{"name", "type"}, {QStringLiteral("Café"), "1"}}));
    EXPECT_TRUE(readCsv("").records.isEmpty());
    EXPECT_TRUE(readCsv("\r\n\n").records.isEmpty());
}

TEST(Csv, RefusesMalformedTextNamingTheLine)
{
    const auto refused = [](const QByteArray &text, int line, const char *why) {
        const CsvReadResult r = readCsv(text);
        EXPECT_FALSE(r.ok()) << text.toStdString();
        EXPECT_EQ(r.errorLine, line) << text.toStdString();
        EXPECT_TRUE(r.error.contains(QLatin1String(why))) << r.error.toStdString();
    };
    refused("a,b\n\"open,\nstill open", 2, "not closed");
    refused("a\nab\"c\n", 2, "quote inside");
    refused("a\n\"b\"c,d\n", 2, "after the closing quote");
    refused("a\nb\nc\xFF\n", 3, "not UTF-8");
    refused("\xC0\xAF", 1, "not UTF-8"); // overlong "/"
    refused("\xED\xA0\x80", 1, "not UTF-8"); // a surrogate
    refused("ok\n\xE2\x82", 2, "not UTF-8"); // cut short
}

TEST(Csv, WritesWhatItReadsBack)
{
    const QStringList values{"plain",      "",         "comma,inside", "quote \"q\"",
                             "two\nlines", " padded ", "50% o'k_",     QStringLiteral("Łódź")};
    const QString line = csvLine(values);
    EXPECT_TRUE(line.endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(csvField(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(csvField(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    const CsvReadResult back = readCsv(line.toUtf8());
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(fields(back), QList<QStringList>{values});
}

TEST(Csv, FormulaCellsGetOneApostropheThatImportDrops)
{
    const QList<QPair<QString, QString>> cases{{"=SUM(A1:A9)", "'=SUM(A1:A9)"},
                                               {"+1", "'+1"},
                                               {"-12.50", "'-12.50"},
                                               {"@cmd", "'@cmd"},
                                               {"\tx", "'\tx"},
                                               {"\rx", "'\rx"},
                                               {"'=x", "''=x"},
                                               {"''-", "'''-"},
                                               {"plain", "plain"},
                                               {"a=b", "a=b"},
                                               {"'quoted", "'quoted"},
                                               {"'", "'"},
                                               {"", ""}};
    for (const auto &[text, cell] : cases) {
        EXPECT_EQ(protectedCell(text), cell) << text.toStdString();
        EXPECT_EQ(unprotectedCell(cell), text) << cell.toStdString();
    }
    // Typed by hand: the one apostrophe before a formula character goes.
    EXPECT_EQ(unprotectedCell(QStringLiteral("'@x")), QStringLiteral("@x"));
    EXPECT_EQ(unprotectedCell(QStringLiteral("'x")), QStringLiteral("'x"));
}

TEST(Csv, RecordsThatLookLikeBlankLinesOrAMarkSurvive)
{
    // Both were lost in a round trip before: a lone empty field was written as
    // a blank line, and a field starting with U+FEFF lost it as a file mark.
    const QList<QStringList> records{{QString()}, {QStringLiteral("\uFEFFJ"), QStringLiteral("x")}};
    for (const QStringList &record : records) {
        const CsvReadResult back = readCsv(csvLine(record).toUtf8());
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(fields(back), QList<QStringList>{record});
    }
}

TEST(Csv, AnyBytesEndInRecordsOrARefusal)
{
    // Random and nearly-valid input must never crash or hang the reader.
    QRandomGenerator random(4180);
    const QByteArray alphabet("a,\"\r\n\xC3\xA9\xFF ");
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int size = int(random.bounded(40));
        for (int i = 0; i < size; ++i)
            text += alphabet[random.bounded(alphabet.size())];
        const CsvReadResult r = readCsv(text);
        EXPECT_TRUE(r.ok() || r.errorLine >= 1);
    }
}

// Read from a device, records cross the reader's blocks anywhere: inside a
// quoted line break, between the bytes of one character. Every record and
// its line come through; a byte that is not UTF-8 far into the file is
// refused with its line when the reading reaches it.
TEST(Csv, AStreamOfManyBlocksReadsAsTheWholeTextAndRefusesALateBadByte)
{
    QByteArray text = "\xEF\xBB\xBF";
    QList<QStringList> written;
    for (int i = 0; i < 12000; ++i) {
        const QStringList record{QStringLiteral("\u00C4pfel \u20AC%1").arg(i), QStringLiteral("say \"hi\"\r\nnext"),
                                 QString::number(i)};
        written << record;
        text += csvLine(record).toUtf8();
    }
    QBuffer buffer(&text);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CsvReader reader(buffer);
    QList<QStringList> read;
    CsvRecord record;
    int lastLine = 0;
    while (reader.next(record)) {
        read << record.fields;
        lastLine = record.line;
    }
    EXPECT_EQ(reader.error(), QString());
    EXPECT_EQ(read, written);
    EXPECT_EQ(lastLine, 2 * 12000 - 1);
    EXPECT_EQ(reader.bytesRead(), text.size());

    text += "ok,\"\xC3\"\r\n";
    buffer.close();
    buffer.setData(text);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CsvReader refusing(buffer);
    int count = 0;
    while (refusing.next(record))
        ++count;
    EXPECT_LE(count, 12000);
    EXPECT_EQ(refusing.error(), QStringLiteral("the text is not UTF-8"));
    EXPECT_EQ(refusing.errorLine(), 2 * 12000 + 1);
}
