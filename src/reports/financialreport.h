#pragma once

#include "financialstatements.h"
#include "reportdefinition.h"

#include <QString>
#include <QStringList>

namespace bc {

// The figures of a statement's line as text, in the order of its columns:
// each column's figure, and when compared, the compared figure, the change
// and the change in percent after it. The window and the printed report
// show these same texts.
QStringList financialFigureTexts(const FinancialStatement &statement, const FinancialLine &line);

// The printed statement: the account column, then the figure columns with
// short headings; section headings and totals in bold rows. Figure columns
// too many for a page are split across pages, the account column repeated.
PrintedReport financialStatementReport(const FinancialReportData &data, const QString &dateFormat);

} // namespace bc
