#pragma once

#include <QColor>

class QWidget;

namespace bc {

// A colour for text drawn on background. On a light background the colour
// is kept as it is; on a dark one (a dark desktop palette) it is lightened,
// keeping its hue, until it stands out from the background as ordinary text
// does (a contrast of 4.5 to 1), so red, blue or green writing stays
// readable.
QColor legibleOn(const QColor &ink, const QColor &background);

// How far two colours stand apart, from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// Writes a label's text in a colour of its own, made legible on the label's
// background; unlike a style sheet, the rest of the palette stays the
// desktop's.
void setTextColour(QWidget *label, const QColor &ink);

} // namespace bc
