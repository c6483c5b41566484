#include "textencoding.h"

#include <QStringDecoder>

namespace bc {

qsizetype firstInvalidUtf8(const QByteArray &bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t least = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            least = 0x10000;
        } else {
            return i;
        }
        char32_t value = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80)
                return i;
            value = (value << 6) | (s[i + k] & 0x3F);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}

QString fromWindows1252(const QByteArray &bytes)
{
    // 0x80 to 0x9F; the rest of the code page is Latin-1.
    static constexpr char16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                          0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        text[i] = c >= 0x80 && c < 0xA0 ? QChar(high[c - 0x80]) : QChar(c);
    }
    return text;
}

QString decodeStatementText(const QByteArray &bytes, TextEncoding encoding)
{
    // A byte-order mark of UTF-16 (as spreadsheets save "Unicode text")
    // says the encoding whatever was asked for.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16)(bytes);
    if (encoding == TextEncoding::Utf8 && firstInvalidUtf8(bytes) < 0)
        return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    return fromWindows1252(bytes);
}

} // namespace bc
