#include "focusstyle.h"

#include <QStyleOption>

namespace bc {

void FocusShowingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                      const QWidget *widget) const
{
    if (element == PE_FrameFocusRect && option && !(option->state & State_KeyboardFocusChange)) {
        if (const auto *focus = qstyleoption_cast<const QStyleOptionFocusRect *>(option)) {
            QStyleOptionFocusRect shown = *focus;
            shown.state |= State_KeyboardFocusChange;
            QProxyStyle::drawPrimitive(element, &shown, painter, widget);
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace bc
