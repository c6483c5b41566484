#pragma once

#include "chartdata.h"

#include <QString>

class QChart;

namespace bc {

// Draws chart data as a Qt chart: a line through the points for Line data, one
// bar per point for Bars data, with the given value scale and axis titles on
// the left (primary) and right (secondary) value axes. Points with an empty
// label carry no caption on the category axis. Data that is not ready gives
// an empty chart. The caller owns the result.
QChart *buildChart(const ChartData &data);

// The figures a chart draws, for a screen reader: a line for each point,
// its name and amount ("02/04/2026: -25.00"); with several series, each
// series' name followed by its points.
QString chartFigures(const ChartData &data);

// The step between value axis ticks: 1, 2 or 5 times a power of ten, so that
// the range shows at most ten steps (0 to 40 steps by 5).
double tickStep(double minimum, double maximum);

} // namespace bc
