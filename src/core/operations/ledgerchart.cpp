#include "ledgerchart.h"

#include "dates.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>
#include <algorithm>
#include <limits>

namespace bc {

namespace {

// The end-of-day balance of a day with movements.
struct DayBalance {
    qint64 day; // Julian day; days the book holds as no valid date sort first
    Money balance;
};

// Rebuilds Tmp_acc_ldgr_graph from the ledger's work table, one row per day
// with movements holding the balance at the end of that day, and reads it
// back in date order. SQLite: ifnull().
std::vector<DayBalance> dailyBalances(const QSqlDatabase &db, Money opening)
{
    TransactionGuard transaction(db, TransactionKind::Read);
    runSql(db, QStringLiteral("DELETE FROM Tmp_acc_ldgr_graph"));
    runSql(db,
           QStringLiteral("INSERT INTO Tmp_acc_ldgr_graph (tran_date, amount) "
                          "SELECT tran_date, ? + sum(sum(ifnull(amount, 0))) OVER (ORDER BY tran_date) "
                          "FROM tmp_Acc_Ldgr GROUP BY tran_date"),
           {opening.cents()});
    std::vector<DayBalance> days;
    {
        QSqlQuery q = runSql(db, QStringLiteral("SELECT tran_date, amount FROM Tmp_acc_ldgr_graph ORDER BY tran_date"));
        while (q.next()) {
            const QDate date = fromIsoDate(q.value(0).toString());
            days.push_back({date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min(),
                            Money::fromCents(q.value(1).toLongLong())});
        }
    }
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
    const QSqlDatabase db = connectionOf(book);
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

    const std::vector<DayBalance> days = dailyBalances(db, ledger.openingBalance);
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
