#pragma once

#include "money.h"
#include "testbook.h"

#include <QDate>
#include <gtest/gtest.h>

namespace bc::test {

inline Money cents(qint64 c)
{
    return Money::fromCents(c);
}

// A book whose financial year starts on 1 January 2024, with Bank (10)
// opening at 100.00 and Salary (11) and Rent (12) at 0: the start of the
// books the ledger and summary tests add to.
struct YearBook : ::testing::Test {
    TestBook t;
    const QDate fyStart{2024, 1, 1};

    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, cents(10000));
        t.addAccount(11, QStringLiteral("Salary"), 1, Money());
        t.addAccount(12, QStringLiteral("Rent"), 2, Money());
    }
};

} // namespace bc::test
