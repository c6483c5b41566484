#pragma once

#include <QChar>

namespace bc {

// Which list a transaction's side or an entry of a list names: an account
// of the chart or a party. The book stores it as the letter: 'A' or 'P'.
// A side read from elsewhere keeps whatever letter it had, so that a check
// can name it.
enum class AccountSide : char16_t { None = 0, Account = u'A', Party = u'P' };

// The letter the book stores; a null character for None.
inline QChar sideLetter(AccountSide side)
{
    return QChar(char16_t(side));
}

inline AccountSide sideOfLetter(QChar letter)
{
    return AccountSide(letter.unicode());
}

} // namespace bc
