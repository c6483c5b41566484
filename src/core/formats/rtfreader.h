#pragma once

#include <QByteArray>
#include <QString>

namespace bc {

// Converts an RTF document into an HTML fragment for a QTextBrowser.
//
// Understood: paragraphs and their alignment, bold, italic, underline, font
// sizes, tabs, line breaks, escaped characters (Windows-1252 \'hh, \uN with
// its \ucN fallback count) and the common typographic symbols. Font, colour
// and style tables, document information, pictures, headers and footers and
// every destination marked \* are skipped; other control words are ignored.
//
// Never fails: malformed input (unbalanced braces, truncated escapes, deep
// nesting, binary junk) yields whatever text could be recovered, in time
// linear in the input size.
QString rtfToHtml(const QByteArray &rtf);

} // namespace bc
