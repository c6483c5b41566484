#include "ledgerchart.h"

#include "booktransaction.h"
#include "dates.h"
#include "ledgerstore.h"
#include "textroutines.h"

#include <algorithm>
#include <limits>

namespace bc {

namespace {

// The end-of-day balance of a day with movements.
struct DayBalance {
    qint64 day; // Julian day; days the book holds as no valid date sort first
    Money balance;
};

// Rebuilds the chart's work table from the ledger's, one row per day with
// movements holding the balance at the end of that day, and reads it back in
// date order.
std::vector<DayBalance> dailyBalances(const Book &book, Money opening)
{
    BookTransaction transaction(book, TransactionKind::Read);
    fillLedgerGraph(book, opening);
    std::vector<DayBalance> days;
    forEachLedgerGraphDay(book, [&days](const QDate &date, Money balance) {
        days.push_back({date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min(), balance});
    });
    transaction.commit();
    return days;
}

QString dayLabel(const QDate &day, qint64 index, qint64 lastIndex, int gap, int &unlabelled, const QString &format)
{
    if (index == 0)
        return QStringLiteral("Opening- ") + formatReportDate(day, format);
    if (index == lastIndex)
        return QStringLiteral("Closing- ") + formatReportDate(day, format);
    if (unlabelled > gap) {
        unlabelled = 0;
        return formatReportDate(day, format);
    }
    ++unlabelled;
    return QString();
}

} // namespace

int ledgerLabelGap(qint64 days)
{
    return int(roundHalfEven(days + 2, 10));
}

ChartData computeLedgerChart(const Book &book, const LedgerResult &ledger, const LedgerChartInput &input)
{
    ChartData chart;
    chart.kind = ChartData::Kind::Line;
    if (!input.fromDate.isValid() || !input.toDate.isValid()) {
        chart.status = ChartData::Status::Refused;
        chart.message = QStringLiteral("Choose a From Date and a To Date to draw the graph.");
        return chart;
    }
    if (input.toDate < input.fromDate) {
        chart.status = ChartData::Status::Refused;
        chart.message = QStringLiteral("The To Date is earlier than the From Date, so there is no day to draw.");
        return chart;
    }

    const std::vector<DayBalance> days = dailyBalances(book, ledger.openingBalance);
    Money lowest = std::min(ledger.openingBalance, ledger.closingBalance);
    Money highest = std::max(ledger.openingBalance, ledger.closingBalance);
    for (const DayBalance &d : days) {
        lowest = std::min(lowest, d.balance);
        highest = std::max(highest, d.balance);
    }

    const qint64 lastIndex = input.fromDate.daysTo(input.toDate);
    const int gap = ledgerLabelGap(lastIndex);
    chart.points.reserve(size_t(lastIndex + 1));
    Money balance = ledger.openingBalance;
    size_t next = 0;
    int unlabelled = 0;
    for (qint64 i = 0; i <= lastIndex; ++i) {
        const QDate day = input.fromDate.addDays(i);
        // Take the latest end-of-day balance on or before this day; a day
        // without movements keeps the one before it.
        while (next < days.size() && days[next].day <= day.toJulianDay())
            balance = days[next++].balance;
        chart.points.push_back({dayLabel(day, i, lastIndex, gap, unlabelled, input.dateFormat), balance,
                                formatReportDate(day, input.dateFormat)});
    }

    chart.status = ChartData::Status::Ready;
    chart.scale = tensScale(lowest, highest);
    chart.axisTitle = withCurrency(QStringLiteral("Balance Amount"), input.currency);
    chart.secondaryAxisTitle = chart.axisTitle;
    chart.title = QStringLiteral("Account Ledger");
    chart.subject = input.account.trimmed();
    chart.fromDate = formatReportDate(input.fromDate, input.dateFormat);
    chart.toDate = formatReportDate(input.toDate, input.dateFormat);
    chart.fromCaption = QStringLiteral(" From :- ") + chart.fromDate;
    chart.toCaption = QStringLiteral(" To :- ") + chart.toDate;
    chart.showBalances = true;
    chart.openingBalance = ledger.openingBalance;
    chart.closingBalance = ledger.closingBalance;
    return chart;
}

} // namespace bc
