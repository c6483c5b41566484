#pragma once

#include <QProxyStyle>

namespace bc {

// The program's style: the platform's, except that the control with the
// focus always shows it. Styles such as Fusion draw the focus frame of a
// button, check box, drop-down box or list item only after the focus was
// moved by a key in that window, so a window that opens with the focus in a
// drop-down box would show no focus at all.
class FocusShowingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};

} // namespace bc
