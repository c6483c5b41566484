#include "legiblecolour.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace bc {

namespace {

// The relative luminance of a colour, as contrast ratios are worked out.
double luminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

constexpr double TextContrast = 4.5;

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor legibleOn(const QColor &ink, const QColor &background)
{
    if (background.lightness() >= 128)
        return ink;
    QColor lighter = ink.toHsl();
    while (contrastRatio(lighter, background) < TextContrast && lighter.lightness() < 255)
        lighter.setHsl(lighter.hslHue(), lighter.hslSaturation(), std::min(255, lighter.lightness() + 8));
    return lighter.toRgb();
}

void setTextColour(QWidget *label, const QColor &ink)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, legibleOn(ink, palette.color(QPalette::Window)));
    label->setPalette(palette);
}

} // namespace bc
