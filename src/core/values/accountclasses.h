#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace bc {

// A class of accounts, as the summary offers them: the accounts whose type
// code is one of the class's codes.
struct AccountClass {
    QString name;
    QList<qint64> typeCodes;

    // An account without a type code belongs to no class.
    bool includes(std::optional<qint64> typeCode) const;
};

// The thirteen classes in the order the summary lists them, from "Only
// Income Accounts" to "All Accounts".
const QList<AccountClass> &accountClasses();

// A type code as an account list shows it: nothing for an empty or
// non-numeric text.
std::optional<qint64> typeCodeOf(const QString &text);

} // namespace bc
