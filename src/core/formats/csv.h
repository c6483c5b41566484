#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class QIODevice;

namespace bc {

// One record of a CSV file and the line on which it starts (counting from 1),
// so that a refused record can be named by the line a user sees in an editor.
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

struct CsvReadResult {
    QList<CsvRecord> records;
    QString error; // empty when the whole text was read
    int errorLine = 0; // the line on which the fault lies
    bool ok() const { return error.isEmpty(); }
};

// Reads comma-separated text (RFC 4180): fields in double quotes may hold
// commas, line breaks and doubled quotes; records end with CRLF, LF or a lone
// CR. Blank lines are skipped. A leading UTF-8 byte-order mark is dropped.
// Text that is not UTF-8, a quote inside an unquoted field, text after a
// closing quote and a quote left open at the end are refused with the line
// where they occur. Runs in time linear in the input, whatever it holds.
CsvReadResult readCsv(const QByteArray &data);

// Reads the same text as readCsv one record at a time from a device, holding
// only the record being read and one block of the text, so that a file of
// any size takes the same memory. The rules and refusals are readCsv's; a
// byte that is not UTF-8 is refused when the reading reaches it.
class CsvReader {
public:
    // Fields are separated by delimiter: a comma, or a semicolon or tab in
    // many banks' files.
    explicit CsvReader(QIODevice &device, QChar delimiter = u',');
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    // The next record; false at the end of the text or at a fault.
    bool next(CsvRecord &record);
    // Empty when the text read so far has no fault.
    QString error() const;
    int errorLine() const; // the line on which the fault lies
    qint64 bytesRead() const; // of the device, for progress

private:
    class Parser;
    std::unique_ptr<Parser> m_parser;
};

// The same reading of text already decoded, with fields separated by the
// given character in place of the comma.
CsvReadResult readCsvText(const QString &text, QChar delimiter);

// One field as written: quoted when it holds a comma, quote, line break or
// leading or trailing blank or begins with a byte-order mark, with inner
// quotes doubled.
QString csvField(const QString &value);

// A text cell as exported for spreadsheets, which run a cell that begins
// with "=", "+", "-", "@", a tab or a carriage return as a formula: such a
// cell gets a leading apostrophe. So does a cell that already begins with
// apostrophes before one of those characters, so that unprotectedCell gives
// back every text exactly. Numbers are written as they are, not through this.
QString protectedCell(const QString &text);

// The text of an imported cell: the apostrophe protectedCell added, dropped.
QString unprotectedCell(const QString &cell);

// One record: its fields joined by commas and ended by CRLF; a record of one
// empty field is written as "" so that it is not a blank line.
QString csvLine(const QStringList &fields);

} // namespace bc
