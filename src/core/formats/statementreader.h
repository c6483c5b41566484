#pragma once

#include "statement.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace bc {

// What a reader needs besides the file's bytes.
struct StatementReadOptions {
    // The order of a QIF file's dates; unset: detected from the file, which
    // is refused when its dates read both ways.
    std::optional<DateOrder> qifDateOrder;
    // UTF-8 falls back to Windows-1252 for a file that is not valid UTF-8.
    TextEncoding qifEncoding = TextEncoding::Utf8;
    CsvMapping csv; // for CSV files
};

// The format of a file, from its content first and its name's ending second;
// unset when it is none of them.
std::optional<StatementFormat> detectStatementFormat(const QByteArray &data, const QString &fileName);

// Reads a whole statement, or throws StatementError naming the line or
// element at fault: a file is read whole or not at all.
Statement readStatement(const QByteArray &data, StatementFormat format, const StatementReadOptions &options);

} // namespace bc
