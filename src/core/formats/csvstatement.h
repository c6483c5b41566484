#pragma once

#include "amounttext.h"
#include "statement.h"

#include <QByteArray>
#include <optional>

namespace bc {

// A bank's CSV file read through a mapping of its columns. Every record
// after the header rows is one line; a record whose date or amount cannot be
// read refuses the whole file, naming its line.
Statement readCsvStatement(const QByteArray &data, const CsvMapping &mapping);

// The first guess at a file's mapping, for the user to correct: the
// delimiter that splits the first line into most columns, the columns by
// their names in the header row, the date pattern that reads the first
// lines' dates (of the order given, where day and month could swap places),
// and a decimal comma where the amounts show one.
CsvMapping guessCsvMapping(const QByteArray &data, std::optional<DateOrder> order = std::nullopt);

// The guess a file is imported by when no one corrects it: without an order,
// a file whose dates all read both day-first and month-first, some as other
// days, is refused naming the first such date, rather than taken either way.
CsvMapping guessCsvMappingForImport(const QByteArray &data, std::optional<DateOrder> order);

// The amount part of a mapping.
AmountFormat amountFormatOf(const CsvMapping &mapping);

} // namespace bc
