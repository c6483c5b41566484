#include "autotick.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bc {

namespace {

// Up to this many amounts, each half's sums are listed in full.
constexpr int MiddleMeetLimit = 40;

// The widest stretch of sums, in cents, the count is kept over (five bytes
// a sum).
constexpr qint64 SumSpanLimit = 40'000'000;

// Every sum of a subset of amounts[first, first + count), with the subset as
// a bit mask, sorted by sum.
std::vector<std::pair<qint64, quint32>> subsetSums(const QList<qint64> &amounts, int first, int count)
{
    std::vector<std::pair<qint64, quint32>> sums{{0, 0}};
    sums.reserve(std::size_t(1) << count);
    for (int i = 0; i < count; ++i) {
        const std::size_t size = sums.size();
        for (std::size_t j = 0; j < size; ++j)
            sums.emplace_back(sums[j].first + amounts[first + i], sums[j].second | (quint32(1) << i));
    }
    std::sort(sums.begin(), sums.end());
    return sums;
}

SubsetFound meetInTheMiddle(const QList<qint64> &amounts, qint64 target)
{
    const int n = int(amounts.size());
    const int low = n / 2;
    const auto left = subsetSums(amounts, 0, low);
    const auto right = subsetSums(amounts, low, n - low);
    SubsetFound result;
    qint64 subsets = 0;
    for (const auto &[sum, mask] : left) {
        const auto [from, to] = std::equal_range(right.begin(), right.end(),
                                                 std::pair<qint64, quint32>(target - sum, 0),
                                                 [](const auto &a, const auto &b) { return a.first < b.first; });
        for (auto it = from; it != to && subsets < 3; ++it) {
            if (mask == 0 && it->second == 0)
                continue; // the empty subset
            if (++subsets == 1) {
                for (int i = 0; i < low; ++i)
                    if (mask & (quint32(1) << i))
                        result.positions << i;
                for (int i = 0; i < n - low; ++i)
                    if (it->second & (quint32(1) << i))
                        result.positions << low + i;
            }
        }
    }
    result.several = subsets > 1;
    return result;
}

// Counts, for every sum between the lowest and highest any subset can
// reach, the subsets reaching it (0, 1, or 2 for more), adding the amounts
// one at a time; the amount whose addition first reached a sum leads back
// from the target to one subset.
SubsetFound countOverCents(const QList<qint64> &amounts, qint64 target, qint64 lowest, qint64 span)
{
    std::vector<std::uint8_t> count(std::size_t(span), 0);
    std::vector<std::int32_t> firstBy(std::size_t(span), -1);
    const qint64 zero = -lowest;
    count[std::size_t(zero)] = 1;
    for (int i = 0; i < int(amounts.size()); ++i) {
        const qint64 a = amounts[i];
        if (a == 0)
            continue;
        // Each sum takes the count it had before this amount, so the sums
        // are visited away from the direction the amount moves them.
        const auto step = [&](qint64 s) {
            const std::uint8_t from = count[std::size_t(s - a)];
            if (from == 0)
                return;
            std::uint8_t &to = count[std::size_t(s)];
            if (to == 0)
                firstBy[std::size_t(s)] = i;
            to = std::uint8_t(std::min(2, to + from));
        };
        if (a > 0)
            for (qint64 s = span - 1; s >= a; --s)
                step(s);
        else
            for (qint64 s = 0; s < span + a; ++s)
                step(s);
    }
    SubsetFound result;
    const qint64 wanted = target + zero;
    if (wanted < 0 || wanted >= span)
        return result;
    const int subsets = count[std::size_t(wanted)];
    if (subsets == 0)
        return result;
    result.several = subsets > 1;
    qint64 s = wanted;
    std::int32_t last = std::int32_t(amounts.size());
    while (firstBy[std::size_t(s)] >= 0 && firstBy[std::size_t(s)] < last) {
        last = firstBy[std::size_t(s)];
        result.positions.prepend(last);
        s -= amounts[last];
    }
    if (s != zero)
        result.positions.clear();
    return result;
}

} // namespace

SubsetFound findSubsetSum(const QList<qint64> &amounts, qint64 target)
{
    // Nothing is missing when the target is 0: no subset is offered.
    if (amounts.isEmpty() || target == 0)
        return {};
    if (amounts.size() <= MiddleMeetLimit)
        return meetInTheMiddle(amounts, target);
    qint64 lowest = 0, highest = 0;
    for (const qint64 a : amounts)
        (a < 0 ? lowest : highest) += a;
    const qint64 span = highest - lowest + 1;
    if (span > SumSpanLimit || target < lowest || target > highest) {
        SubsetFound none;
        none.gaveUp = span > SumSpanLimit;
        return none;
    }
    return countOverCents(amounts, target, lowest, span);
}

} // namespace bc
