#include "keyfilters.h"

#include "textroutines.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace bc {

bool KeyFilter::accepts(Mode mode, QChar typed, const QString &currentText)
{
    const int code = typed.unicode();
    if (code <= 26)
        return true; // control keys
    switch (mode) {
    case Amount:
        return AmountKeyFilter(code, currentText, true) != 0;
    case AmountWholeNumber:
        return AmountKeyFilter(code, currentText, false) != 0;
    case AmountCharacters:
        return (typed >= u'0' && typed <= u'9') || typed == u'.' || typed == u'-';
    case NoApostrophe:
        return typed != u'\'';
    }
    return true;
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (edit && key->text().size() == 1 && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            && !accepts(m_mode, key->text().at(0), edit->text()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void installAmountKeyFilter(QLineEdit *edit, bool allowDecimal)
{
    edit->installEventFilter(new KeyFilter(allowDecimal ? KeyFilter::Amount : KeyFilter::AmountWholeNumber, edit));
}

void installAmountCharacterFilter(QLineEdit *edit)
{
    edit->installEventFilter(new KeyFilter(KeyFilter::AmountCharacters, edit));
}

void installApostropheFilter(QLineEdit *edit)
{
    edit->installEventFilter(new KeyFilter(KeyFilter::NoApostrophe, edit));
}

} // namespace bc
