#pragma once

#include <QString>
#include <QVariant>

namespace bc {

// A database value as trimmed text. Null, the text "0" (after trimming) and
// anything that has no text form give empty text, so "0.00" stays "0.00".
QString NullToText(const QVariant &value);

// Key filter for amount entry. Given the character typed, the text already in
// the field and whether a decimal point is allowed, returns the character code
// to let through: the upper-case form of the key, or 0 when it is rejected.
// Control codes 1 to 26 (Backspace, Tab, Enter, Ctrl+letter) always pass.
int AmountKeyFilter(int keyCode, const QString &currentText, bool allowDecimal);

// True when text is exactly one of the built-in account names, which cannot be
// renamed. The comparison is case-sensitive: "Cash" is an ordinary account.
bool isBuiltInAccountName(const QString &name);

// A caption for amounts followed by the book's currency label in
// parentheses, "Balance Amount (EUR)"; the bare caption when the book names
// no currency, so no empty "()" is shown.
QString withCurrency(const QString &caption, const QString &currency);

// Text made fit to name a file: the characters a file name cannot hold on
// any of the usual systems ("/" of a date among them) become "-".
QString safeFileName(const QString &text);

} // namespace bc
