#include "chartbuilder.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QSet>
#include <QValueAxis>
#include <cmath>

namespace bc {

namespace {

// Category labels drawn along the bottom run into each other beyond this
// many, so they are turned on their side.
constexpr int UprightLabelLimit = 8;

QValueAxis *valueAxis(const ChartData &data, const QString &title)
{
    auto *axis = new QValueAxis;
    axis->setRange(data.scale.minimum, data.scale.maximum);
    const double step = tickStep(data.scale.minimum, data.scale.maximum);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.2f"));
    axis->setTitleText(title);
    return axis;
}

// The days of a ledger chart: a caption under the days that carry one.
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

    auto *days = new QCategoryAxis;
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    days->setStartValue(-1);
    for (int i = 0; i < count; ++i)
        if (const QString &label = data.points[size_t(i)].label; !label.isEmpty())
            days->append(label, i);
    days->setRange(count == 1 ? -1 : 0, count == 1 ? 1 : count - 1);
    days->setLabelsAngle(-45);
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

    auto *accounts = new QBarCategoryAxis;
    accounts->append(names);
    if (names.size() > UprightLabelLimit)
        accounts->setLabelsAngle(-45);
    accounts->setTruncateLabels(false);
    chart->addAxis(accounts, Qt::AlignBottom);
    series->attachAxis(accounts);
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
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(false);
    if (!data.ready() || data.points.empty())
        return chart;

    if (data.kind == ChartData::Kind::Line)
        addLine(chart, data);
    else
        addBars(chart, data);
    chart->legend()->setVisible(!data.seriesLabel.isEmpty());
    chart->legend()->setAlignment(Qt::AlignBottom);

    QAbstractSeries *series = chart->series().constFirst();
    QValueAxis *primary = valueAxis(data, data.axisTitle);
    QValueAxis *secondary = valueAxis(data, data.secondaryAxisTitle);
    chart->addAxis(primary, Qt::AlignLeft);
    chart->addAxis(secondary, Qt::AlignRight);
    series->attachAxis(primary);
    series->attachAxis(secondary);
    return chart;
}

} // namespace bc
