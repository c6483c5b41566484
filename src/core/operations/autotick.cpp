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
// from the target to one subset. After each amount only the sums that the
// amounts reached so far can make and from which the amounts still to come
// can reach the target are kept, which leaves a quarter of the work.
SubsetFound countOverCents(const QList<qint64> &amounts, qint64 target, qint64 lowest, qint64 span)
{
    const int n = int(amounts.size());
    // What the amounts after each one can still add, down and up.
    std::vector<qint64> downAfter(std::size_t(n) + 1, 0), upAfter(std::size_t(n) + 1, 0);
    for (int i = n - 1; i >= 0; --i) {
        downAfter[std::size_t(i)] = downAfter[std::size_t(i) + 1] + std::min<qint64>(amounts[i], 0);
        upAfter[std::size_t(i)] = upAfter[std::size_t(i) + 1] + std::max<qint64>(amounts[i], 0);
    }
    std::vector<std::uint8_t> count(std::size_t(span), 0);
    std::vector<std::int32_t> firstBy(std::size_t(span), -1);
    std::uint8_t *const c = count.data() - lowest; // indexed by the sum itself
    std::int32_t *const f = firstBy.data() - lowest;
    c[0] = 1;
    qint64 reachedDown = 0, reachedUp = 0;
    for (int i = 0; i < n; ++i) {
        const qint64 a = amounts[i];
        (a < 0 ? reachedDown : reachedUp) += a;
        if (a == 0)
            continue;
        const std::size_t next = std::size_t(i) + 1;
        qint64 low = std::max(reachedDown, target - upAfter[next]);
        qint64 high = std::min(reachedUp, target - downAfter[next]);
        // Each sum takes the count it had before this amount, so the sums
        // are visited away from the direction the amount moves them.
        const auto step = [&](qint64 sum) {
            const std::uint8_t from = c[sum - a];
            if (from == 0)
                return;
            const std::uint8_t to = c[sum];
            if (to == 0)
                f[sum] = i;
            c[sum] = std::uint8_t(std::min(2, to + from));
        };
        if (a > 0) {
            low = std::max(low, lowest + a);
            for (qint64 sum = high; sum >= low; --sum)
                step(sum);
        } else {
            high = std::min(high, lowest + span - 1 + a);
            for (qint64 sum = low; sum <= high; ++sum)
                step(sum);
        }
    }
    SubsetFound result;
    if (target < lowest || target >= lowest + span || c[target] == 0)
        return result;
    result.several = c[target] > 1;
    qint64 sum = target;
    std::int32_t last = std::int32_t(n);
    while (f[sum] >= 0 && f[sum] < last) {
        last = f[sum];
        result.positions.prepend(last);
        sum -= amounts[last];
    }
    if (sum != 0)
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
