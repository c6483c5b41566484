#pragma once

#include "statement.h"

#include <QByteArray>
#include <optional>

namespace bc {

// Reads the register of a bank, cash, card or other asset or liability
// account (!Type:Bank, Cash, CCard, Oth A, Oth L) of a QIF file; lists
// (categories, classes, memorised items) are passed over, and an investment
// account or a type it does not know refuses the file, naming it. The
// name in an !Account block becomes the account's identity. Without an
// order, the dates' order is taken from the file when its dates allow only
// one reading; dates that read both ways refuse the file.
Statement readQifStatement(const QByteArray &data, std::optional<DateOrder> order, TextEncoding encoding);

} // namespace bc
