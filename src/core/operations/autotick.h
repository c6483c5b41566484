#pragma once

#include <QList>
#include <QtGlobal>

namespace bc {

// What a search for movements that make up a difference found.
struct SubsetFound {
    // The positions (in the amounts searched) of one subset that sums to
    // the target, ascending; empty when none does or the search gave up.
    QList<int> positions;
    // More than one subset sums to the target: the one found is a guess.
    bool several = false;
    // The amounts were too many or too large to search.
    bool gaveUp = false;
    bool found() const { return !positions.isEmpty(); }
};

// Finds a non-empty subset of the amounts (whole cents, either sign) that
// sums to target (none for a target of 0). Few amounts are searched by meeting in the middle (two
// halves of all their sums); many by counting, over every reachable sum of
// cents, the subsets that reach it, which stays quick for hundreds of bank
// movements of everyday size.
SubsetFound findSubsetSum(const QList<qint64> &amounts, qint64 target);

} // namespace bc
