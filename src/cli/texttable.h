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
        QString csvName; // header in CSV
        QString title; // header in the table
        bool rightAligned = false; // amounts and ids: written as they are in CSV
    };

    explicit TextTable(QList<Column> columns)
        : m_columns(std::move(columns))
    {
    }

    void addRow(const QStringList &cells) { m_rows.append(cells); }

    // Text cells are protected from being run as spreadsheet formulas.
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

} // namespace bc::cli
