#pragma once

#include <QObject>

class QLineEdit;

namespace bc {

// Filters keys typed into a line edit: amount fields let through only what
// AmountKeyFilter accepts, text fields may drop apostrophes. Pasted text is
// not filtered; amounts are parsed when used.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    // AmountCharacters lets through digits, "." and "-" wherever and however
    // often they are typed; the bound is read from the text's leading number.
    enum Mode { Amount, AmountWholeNumber, AmountCharacters, NoApostrophe };
    KeyFilter(Mode mode, QObject *parent) : QObject(parent), m_mode(mode) {}

    // Whether a typed character may reach an edit holding currentText.
    static bool accepts(Mode mode, QChar typed, const QString &currentText);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Mode m_mode;
};

void installAmountKeyFilter(QLineEdit *edit, bool allowDecimal = true);
void installAmountCharacterFilter(QLineEdit *edit);
void installApostropheFilter(QLineEdit *edit);

} // namespace bc
