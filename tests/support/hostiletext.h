#pragma once

#include <QString>
#include <QStringList>

namespace bc::test {

// Text a user can type at its most awkward: quotes, a semicolon, comment
// marks, LIKE wildcards, a backslash, letters beyond ASCII, an attempt at
// SQL, a thousand characters, and last the empty text.
const QStringList &hostileTexts();

// Names that a careless pattern would confuse with the texts above.
const QStringList &decoyNames();

// Lower case for A to Z only, as SQLite folds case.
QString asciiLower(const QString &text);

} // namespace bc::test
