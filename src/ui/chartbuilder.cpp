#include "chartbuilder.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QGuiApplication>
#include <QLineSeries>
#include <QPalette>
#include <QPen>
#include <QSet>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace bc {

namespace {

// Account names drawn upright along the bottom run into each other beyond
// this many bars or this many characters, so they are turned on their side,
// where each needs only a line's height of room.
constexpr int UprightLabelLimit = 6;
constexpr int UprightLabelLength = 14;

// The room kept between the outermost points and the edges of the plot, as
// a share of the value range, so that no point's marker is cut in half.
constexpr double ValueMargin = 0.04;

// The colours of lines drawn over bars, darker than any bar's on a light
// chart and lighter than any on a dark one.
const QColor LineColours[] = {QColor(192, 57, 43), QColor(44, 62, 80)};
const QColor LineColoursOnDark[] = {QColor(255, 138, 128), QColor(236, 240, 241)};

// A desktop in dark colours gets a dark chart, whose captions and grid lines
// it can read; the window's palette says which.
bool darkDesktop()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

// What the pointer shows when it rests on a point: its name and amount.
QString pointTip(const ChartPoint &point)
{
    return point.name + QStringLiteral(": ") + point.value.toPlain();
}

// The value range shown: the chart's scale, widened where a point would
// otherwise sit on the edge of the plot.
AxisScale shownRange(const ChartData &data)
{
    AxisScale range = data.scale;
    const double span = std::max(range.maximum - range.minimum, 1e-9);
    const auto widen = [&](double v) {
        range.minimum = std::min(range.minimum, v - span * ValueMargin);
        range.maximum = std::max(range.maximum, v + span * ValueMargin);
    };
    if (data.series.empty())
        for (const ChartPoint &point : data.points)
            widen(point.value.toDouble());
    for (const ChartSeries &series : data.series)
        if (series.line)
            for (const Money &value : series.values)
                widen(value.toDouble());
    return range;
}

QValueAxis *valueAxis(const ChartData &data, const QString &title)
{
    auto *axis = new QValueAxis;
    const AxisScale range = shownRange(data);
    axis->setRange(range.minimum, range.maximum);
    const double step = tickStep(data.scale.minimum, data.scale.maximum);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.2f"));
    axis->setTitleText(title);
    return axis;
}

// The days of a ledger chart: a caption under the days that carry one, and
// every day's date and balance where the pointer rests on the line.
void addLine(QChart *chart, const ChartData &data)
{
    auto *series = new QLineSeries;
    series->setName(data.seriesLabel);
    const int count = int(data.points.size());
    for (int i = 0; i < count; ++i)
        series->append(i, data.points[size_t(i)].value.toDouble());
    // A few days are easier to read with their points marked; one day would
    // show nothing otherwise.
    series->setPointsVisible(count <= 62);
    series->setMarkerSize(7);
    chart->addSeries(series);
    QObject::connect(series, &QLineSeries::hovered, series, [points = data.points](const QPointF &at, bool over) {
        const qsizetype day = std::clamp<qsizetype>(qRound(at.x()), 0, points.size() - 1);
        if (over)
            QToolTip::showText(QCursor::pos(), pointTip(points[size_t(day)]));
        else
            QToolTip::hideText();
    });

    // Half a day of room on either side, more on long ranges, so the first
    // and last points and their captions stand clear of the plot's edges.
    const double margin = std::max(0.5, (count - 1) * 0.02);
    auto *days = new QCategoryAxis;
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    days->setStartValue(-margin - 1);
    for (int i = 0; i < count; ++i)
        if (const QString &label = data.points[size_t(i)].label; !label.isEmpty())
            days->append(label, i);
    days->setRange(-margin, count - 1 + margin);
    days->setLabelsAngle(-90);
    days->setTruncateLabels(false);
    days->setGridLineVisible(false);
    chart->addAxis(days, Qt::AlignBottom);
    series->attachAxis(days);
}

// The bars of a summary chart, one per point, labelled with its name. The
// category axis takes every label once only, so a repeated name is told
// apart by invisible marks.
void addBars(QChart *chart, const ChartData &data)
{
    auto *set = new QBarSet(data.seriesLabel);
    QStringList names;
    QSet<QString> seen;
    for (const ChartPoint &point : data.points) {
        set->append(point.value.toDouble());
        QString name = point.label;
        while (seen.contains(name))
            name += QChar(0x200B);
        seen.insert(name);
        names << name;
    }
    auto *series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    QObject::connect(set, &QBarSet::hovered, set, [points = data.points](bool over, int index) {
        if (over && index >= 0 && index < int(points.size()))
            QToolTip::showText(QCursor::pos(), pointTip(points[size_t(index)]));
        else
            QToolTip::hideText();
    });

    auto *accounts = new QBarCategoryAxis;
    accounts->append(names);
    const bool longName = std::any_of(data.points.begin(), data.points.end(),
                                      [](const ChartPoint &p) { return p.label.size() > UprightLabelLength; });
    if (names.size() > UprightLabelLimit || longName)
        accounts->setLabelsAngle(-90);
    accounts->setTruncateLabels(false);
    chart->addAxis(accounts, Qt::AlignBottom);
    series->attachAxis(accounts);
}

// Several series over the points' labels: the bar series side by side or
// stacked, the line series through the middle of each label's bars.
void addSeries(QChart *chart, const ChartData &data)
{
    QAbstractBarSeries *bars = data.stackedBars ? static_cast<QAbstractBarSeries *>(new QStackedBarSeries)
                                                : static_cast<QAbstractBarSeries *>(new QBarSeries);
    QList<QLineSeries *> lines;
    for (const ChartSeries &series : data.series) {
        if (series.line) {
            auto *line = new QLineSeries;
            line->setName(series.name);
            for (std::size_t i = 0; i < series.values.size(); ++i)
                line->append(qreal(i), series.values[i].toDouble());
            line->setPointsVisible(true);
            line->setMarkerSize(7);
            // The theme would give a line the colour of a bar set; a line
            // drawn over bars needs one of its own.
            const QColor *colours = darkDesktop() ? LineColoursOnDark : LineColours;
            line->setPen(QPen(colours[lines.size() % std::size(LineColours)], 3));
            lines << line;
            continue;
        }
        auto *set = new QBarSet(series.name);
        for (const Money &value : series.values)
            set->append(value.toDouble());
        bars->append(set);
        QObject::connect(set, &QBarSet::hovered, set, [series, points = data.points](bool over, int index) {
            if (over && index >= 0 && index < int(points.size()))
                QToolTip::showText(QCursor::pos(),
                                   points[size_t(index)].name + QStringLiteral(" - ") + series.name
                                       + QStringLiteral(": ") + series.values[size_t(index)].toPlain());
            else
                QToolTip::hideText();
        });
    }
    chart->addSeries(bars);
    for (QLineSeries *line : lines)
        chart->addSeries(line);

    QStringList names;
    for (const ChartPoint &point : data.points)
        names << point.label;
    auto *categories = new QBarCategoryAxis;
    categories->append(names);
    const bool longName = std::any_of(names.begin(), names.end(),
                                      [](const QString &name) { return name.size() > UprightLabelLength; });
    if (names.size() > UprightLabelLimit || longName)
        categories->setLabelsAngle(-90);
    categories->setTruncateLabels(false);
    chart->addAxis(categories, Qt::AlignBottom);
    for (QAbstractSeries *series : chart->series())
        series->attachAxis(categories);
}

} // namespace

double tickStep(double minimum, double maximum)
{
    const double range = maximum - minimum;
    if (!(range > 0))
        return 1;
    const double rough = range / 10;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough * (1 - 1e-9))
            return factor * power;
    return 10 * power;
}

QChart *buildChart(const ChartData &data)
{
    auto *chart = new QChart;
    if (darkDesktop())
        chart->setTheme(QChart::ChartThemeDark);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(false);
    if (!data.ready() || data.points.empty())
        return chart;

    if (!data.series.empty())
        addSeries(chart, data);
    else if (data.kind == ChartData::Kind::Line)
        addLine(chart, data);
    else
        addBars(chart, data);
    chart->legend()->setVisible(!data.seriesLabel.isEmpty() || !data.series.empty());
    // Several series name themselves above the plot, clear of long
    // captions turned on their side below it.
    chart->legend()->setAlignment(data.series.empty() ? Qt::AlignBottom : Qt::AlignTop);

    QValueAxis *primary = valueAxis(data, data.axisTitle);
    QValueAxis *secondary = valueAxis(data, data.secondaryAxisTitle);
    chart->addAxis(primary, Qt::AlignLeft);
    chart->addAxis(secondary, Qt::AlignRight);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(primary);
        series->attachAxis(secondary);
    }
    return chart;
}

QString chartFigures(const ChartData &data)
{
    if (!data.ready())
        return {};
    QStringList lines;
    if (data.series.empty()) {
        for (const ChartPoint &point : data.points)
            lines << point.name + QStringLiteral(": ") + point.value.toPlain();
        return lines.join(u'\n');
    }
    for (const ChartSeries &series : data.series) {
        lines << series.name;
        for (std::size_t i = 0; i < series.values.size() && i < data.points.size(); ++i)
            lines << data.points[i].name + QStringLiteral(": ") + series.values[i].toPlain();
    }
    return lines.join(u'\n');
}

} // namespace bc
