#include "keyfilters.h"

#include "money.h"
#include "textroutines.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace bc {

namespace {

// The start of an amount that more typing can still complete.
bool isAmountStart(const QString &text)
{
    return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String(".") || text == QLatin1String("-.");
}

} // namespace

bool KeyFilter::accepts(Mode mode, QChar typed, const QString &currentText)
{
    const int code = typed.unicode();
    if (code <= 26)
        return true; // control keys
    switch (mode) {
    case Amount:
    case AmountEntry: return AmountKeyFilter(code, currentText, true) != 0;
    case AmountWholeNumber: return AmountKeyFilter(code, currentText, false) != 0;
    case AmountCharacters: return (typed >= u'0' && typed <= u'9') || typed == u'.' || typed == u'-';
    case NoApostrophe: return typed != u'\'';
    case AnyText: return true;
    }
    return true;
}

bool KeyFilter::typedIntoAmount(QLineEdit *edit, QChar typed) const
{
    // The locale's decimal separator stands for the point; its group
    // separator would be dropped when the amount is read, so it is refused.
    const QLocale locale;
    QChar put = typed;
    if (QString(typed) == locale.decimalPoint())
        put = u'.';
    else if (QString(typed) == locale.groupSeparator())
        return true;
    QString rest = edit->text();
    int at = edit->cursorPosition();
    if (m_mode == AmountEntry && edit->hasSelectedText()) {
        at = edit->selectionStart();
        rest.remove(at, edit->selectedText().size());
    }
    if (!accepts(m_mode, put, m_mode == AmountEntry ? rest : edit->text()))
        return true;
    if (m_mode == AmountEntry) {
        const QString result = rest.left(at) + put + rest.mid(at);
        if (!isAmountStart(result) && !Money::parse(result))
            return true;
    }
    if (put == typed)
        return false;
    edit->insert(QString(put));
    return true;
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit || key->text().size() != 1 || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const QChar typed = key->text().at(0);
    if (!typed.isPrint())
        return false; // Backspace, Delete, Tab, Enter and the other control keys
    switch (m_mode) {
    case Amount:
    case AmountWholeNumber:
    case AmountEntry: return typedIntoAmount(edit, typed);
    default: break;
    }
    if (!accepts(m_mode, typed, edit->text()))
        return true;
    // Typing stops at the limit; a longer text put in by the program stays whole.
    if (m_maxTyped <= 0)
        return false;
    const qsizetype kept = edit->text().size() - edit->selectedText().size();
    if (kept + 1 >= m_maxTyped)
        emit limitReached(m_maxTyped);
    return kept >= m_maxTyped;
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

void installAmountEntryFilter(QLineEdit *edit)
{
    edit->installEventFilter(new KeyFilter(KeyFilter::AmountEntry, edit));
}

KeyFilter *installTextFilter(QLineEdit *edit, int maxTyped, bool dropApostrophes)
{
    auto *filter = new KeyFilter(dropApostrophes ? KeyFilter::NoApostrophe : KeyFilter::AnyText, edit, maxTyped);
    edit->installEventFilter(filter);
    return filter;
}

} // namespace bc
