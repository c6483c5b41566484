#pragma once

#include "statement.h"

#include <QByteArray>
#include <QString>

namespace bc {

// The offset of the first byte that does not belong to a well-formed UTF-8
// sequence (no overlong forms, surrogates or values above U+10FFFF); -1 when
// every byte does.
qsizetype firstInvalidUtf8(const QByteArray &bytes);

// Windows-1252 text as Unicode; the five bytes the code page leaves unused
// become U+FFFD.
QString fromWindows1252(const QByteArray &bytes);

// A file's text in the encoding asked for, with a leading UTF-8 byte-order
// mark dropped; a file starting with a UTF-16 byte-order mark is UTF-16. Bytes that are not UTF-8 are read as
// Windows-1252 even when UTF-8 is asked for: that is the other encoding banks write, and UTF-8 is what a user leaves
// selected when unsure.
QString decodeStatementText(const QByteArray &bytes, TextEncoding encoding);

} // namespace bc
