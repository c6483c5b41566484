#pragma once

#include "commandline.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bc::cli {

// The rows a command prints, written either as aligned columns for people or
// as CSV with the header line first.
class TextTable {
public:
    struct Column {
        QString csvName;   // header in CSV
        QString title;     // header in the table
        bool rightAligned = false;
    };

    explicit TextTable(QList<Column> columns) : m_columns(std::move(columns)) {}

    void addRow(const QStringList &cells) { m_rows.append(cells); }

    QString toCsv() const;
    // Columns two blanks apart, a dashed line under the titles, amounts
    // right-aligned, line breaks inside a cell shown as blanks, no blanks at
    // the end of a line.
    QString toTable() const;
    QString render(OutputFormat format) const { return format == OutputFormat::Csv ? toCsv() : toTable(); }

private:
    QList<Column> m_columns;
    QList<QStringList> m_rows;
};

// Writes text as UTF-8 to standard output.
void writeOut(const QString &text);

// Writes text as UTF-8 to a file, replacing it only once all is written;
// a failure is a refusal naming the file.
void writeFile(const QString &path, const QString &text);

} // namespace bc::cli
