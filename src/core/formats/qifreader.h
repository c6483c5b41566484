#pragma once

#include "statement.h"

#include <QByteArray>
#include <optional>

namespace bc {

// Reads the !Type:Bank and !Type:Cash sections of a QIF file; other
// sections (categories, investments, memorised items) are passed over. The
// name in an !Account block becomes the account's identity. Without an
// order, the dates' order is taken from the file when its dates allow only
// one reading; dates that read both ways refuse the file.
Statement readQifStatement(const QByteArray &data, std::optional<DateOrder> order, TextEncoding encoding);

} // namespace bc
