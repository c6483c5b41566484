#include "dataset.h"

#include <algorithm>
#include <array>

namespace bc::bench {

namespace {

constexpr std::array<const char *, 6> BuiltInNames{"RST", "SC", "CST", "CASH", "SALES", "PURCHASE"};
constexpr std::array<int, 6> BuiltInTypes{2, 2, 2, 4, 1, 2};
constexpr std::array<const char *, 6> TypePrefixes{"Income", "Expense", "Trading", "Asset", "Liability", "Holding"};
constexpr std::array<const char *, 8> Particulars{"Invoice", "Receipt", "Transfer", "Payment",
                                                  "Refund",  "Fee",     "Deposit",  "Purchase"};

// An amount whose number of digits (1 to 6 cents digits) is uniform, so small
// and large amounts are both common.
qint64 randomAmount(Random &random)
{
    const std::uint64_t digits = 1 + random.below(6);
    std::uint64_t low = 1;
    for (std::uint64_t i = 1; i < digits; ++i)
        low *= 10;
    return qint64(low + random.below(low * 9));
}

} // namespace

std::uint64_t Random::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::vector<GeneratedAccount> generateAccounts(const DatasetSpec &spec)
{
    Random random(spec.seed);
    std::vector<GeneratedAccount> accounts;
    accounts.reserve(size_t(std::max(spec.accountCount, 6)));
    for (size_t i = 0; i < BuiltInNames.size(); ++i)
        accounts.push_back({qint64(i + 1), QLatin1String(BuiltInNames[i]), BuiltInTypes[i], 0, true});
    for (qint64 id = 7; id <= spec.accountCount; ++id) {
        GeneratedAccount a;
        a.id = id;
        a.type = 1 + int(random.below(6));
        a.name = QLatin1String(TypePrefixes[size_t(a.type - 1)])
            + QStringLiteral("%1").arg(id, 5, 10, QLatin1Char('0'));
        if (random.below(10) != 0)
            a.opening = random.below(2) ? randomAmount(random) * 10 : -randomAmount(random) * 10;
        accounts.push_back(a);
    }
    return accounts;
}

void generateTransactions(const DatasetSpec &spec, const std::function<void(const GeneratedTransaction &)> &sink)
{
    // A separate stream from the accounts', so changing one never shifts the other.
    Random random(spec.seed ^ 0x5DEECE66DULL);
    const qint64 days = spec.firstDay.daysTo(spec.lastDay) + 1;
    std::vector<std::uint32_t> dayOffsets(size_t(spec.transactionCount));
    for (auto &d : dayOffsets)
        d = std::uint32_t(random.below(std::uint64_t(days)));
    std::sort(dayOffsets.begin(), dayOffsets.end());

    const auto accounts = std::uint64_t(spec.accountCount);
    GeneratedTransaction t;
    for (qint64 i = 0; i < spec.transactionCount; ++i) {
        t.id = i + 1;
        t.date = spec.firstDay.addDays(dayOffsets[size_t(i)]);
        if (random.below(125) == 0) {
            // The busy account against any other, on either side.
            qint64 other = 1 + qint64(random.below(accounts - 1));
            if (other >= spec.busyAccount)
                ++other;
            const bool busyPays = random.below(2) == 0;
            t.from = busyPays ? spec.busyAccount : other;
            t.to = busyPays ? other : spec.busyAccount;
        } else {
            t.from = 1 + qint64(random.below(accounts));
            t.to = 1 + qint64(random.below(accounts - 1));
            if (t.to >= t.from)
                ++t.to;
        }
        t.amount = randomAmount(random);
        t.particulars = QLatin1String(Particulars[random.below(Particulars.size())]) + u' ' + QString::number(t.id);
        sink(t);
    }
}

} // namespace bc::bench
