#pragma once

#include "money.h"

#include <QString>
#include <QtGlobal>
#include <vector>

namespace bc {

// The nearest whole number to numerator / denominator, a half going to the
// even neighbour (2.5 gives 2, 3.5 gives 4, -0.5 gives 0). Exact for every
// pair of 64-bit values; denominator must be positive.
qint64 roundHalfEven(qint64 numerator, qint64 denominator);

// The two ends of a chart's value axis, in currency units.
struct AxisScale {
    double minimum = 0;
    double maximum = 0;
    bool operator==(const AxisScale &) const = default;
};

// The ledger chart's scale: whole tens below the lowest and above the highest
// balance, N(lowest / 10 - 1) * 10 to N(highest / 10 + 1) * 10, with N
// rounding a half to the even neighbour (15 and 25 give 0 to 40).
AxisScale tensScale(Money lowest, Money highest);

// The summary chart's scale: the step u is the power of ten nearest to a
// tenth of the largest magnitude (10^N(log10(m) - 1)), and the axis runs
// from u * N(lowest / u - 1) to u * N(highest / u + 1) (5000 and 0 give
// -1000 to 6000; 1234.56 and -200 give -300 to 1300). The caller makes sure
// lowest <= 0 <= highest and not both are 0.
AxisScale magnitudeScale(Money lowest, Money highest);

// One point of a chart: a bar of the summary chart or a day of the ledger
// chart. An empty label leaves the point without a caption on the axis; its
// name (the account, or the day's date) is always there, for the pointer to
// show when it rests on the point.
struct ChartPoint {
    QString label;
    Money value;
    QString name;
};

// One of several series drawn over the points' labels: bars, or a line
// through the bars; one value per point.
struct ChartSeries {
    QString name;
    std::vector<Money> values;
    bool line = false;
};

// Everything the chart window shows: the points in drawing order, the value
// scale, the axis titles and the header captions, and for the ledger chart
// the opening and closing balances of the account frame.
struct ChartData {
    enum class Kind { Line, Bars };
    enum class Status {
        Ready, // draw it
        NothingToShow, // every amount is 0: the request does nothing
        Refused // the request cannot be drawn; message says why
    };

    Status status = Status::NothingToShow;
    QString message;

    Kind kind = Kind::Line;
    QString seriesLabel; // the legend of the one series; empty for none
    std::vector<ChartPoint> points;
    // Several named series over the points' labels, drawn in place of the
    // points' own values: bar series side by side (or stacked) with line
    // series over them. Empty for a chart of one series.
    std::vector<ChartSeries> series;
    bool stackedBars = false;
    AxisScale scale; // applies to the primary and the secondary value axis
    QString axisTitle; // primary value axis
    QString secondaryAxisTitle;

    QString title; // "Account Ledger" or "Account Summary"
    QString windowTitle; // the chart window's own title; empty: its usual one
    QString subject; // what the chart is of: the ledger's account, the number of accounts
    QString fromCaption; // " From :- " and the from-date
    QString toCaption; // " To :- " and the to-date
    QString fromDate; // the dates as the captions show them
    QString toDate;

    // The "Opening / Closing" account frame: shown by the ledger chart with the
    // ledger's balances, hidden by the summary charts.
    bool showBalances = false;
    Money openingBalance;
    Money closingBalance;

    bool ready() const { return status == Status::Ready; }

    // A file name for the chart's picture that says what it shows: the
    // title, the subject and the period, without characters a file name
    // cannot hold ("Account Ledger - Bank - 01-11-2026 to 30-11-2026").
    QString suggestedFileName() const;
};

} // namespace bc
