#pragma once

#include <QObject>

class QLineEdit;

namespace bc {

// Filters keys typed into a line edit: amount fields let through only what
// AmountKeyFilter accepts, text fields may drop apostrophes, and any field may
// limit how long typing can make its text. Text put into the field by the
// program is never cut; pasted text is not filtered; amounts are parsed when
// used.
//
// Amount fields read the locale's decimal separator as the decimal point
// (a "," typed under a decimal-comma locale puts "." into the field) and
// refuse the locale's group separator, so no typed separator is lost.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    // AmountCharacters lets through digits, "." and "-" wherever and however
    // often they are typed; the bound is read from the text's leading number.
    // AmountEntry is Amount whose text must stay a whole amount the book can
    // hold, up to 999,999,999,999.99 with a leading minus.
    enum Mode { Amount, AmountWholeNumber, AmountCharacters, AmountEntry, NoApostrophe, AnyText };
    KeyFilter(Mode mode, QObject *parent, int maxTyped = 0)
        : QObject(parent)
        , m_mode(mode)
        , m_maxTyped(maxTyped)
    {
    }

    // Whether a typed character may reach an edit holding currentText.
    static bool accepts(Mode mode, QChar typed, const QString &currentText);

signals:
    // Typing filled the text to its limit, or a key was refused there.
    void limitReached(int limit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typedIntoAmount(QLineEdit *edit, QChar typed) const;

    Mode m_mode;
    int m_maxTyped;
};

void installAmountKeyFilter(QLineEdit *edit, bool allowDecimal = true);
void installAmountCharacterFilter(QLineEdit *edit);
void installApostropheFilter(QLineEdit *edit);

// The amount box of a grid cell: Amount keys, kept to a readable amount.
void installAmountEntryFilter(QLineEdit *edit);

// A text box: typing stops at maxTyped characters (0: no limit); with
// dropApostrophes an apostrophe is discarded. Returns the filter, which says
// when typing reaches the limit.
KeyFilter *installTextFilter(QLineEdit *edit, int maxTyped, bool dropApostrophes);

} // namespace bc
