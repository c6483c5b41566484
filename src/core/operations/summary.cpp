#include "summary.h"

#include "amountsum.h"
#include "balancestore.h"
#include "bookcheck.h"
#include "booktransaction.h"
#include "monthsplit.h"
#include "summarystore.h"
#include "systemsettings.h"
#include "textroutines.h"

#include <QRegularExpression>
#include <limits>

namespace bc {

namespace {

// The movement dated first to last; with kept balances, whole months come
// from them and only the days outside whole months from the transactions.
void addMovement(const Book &book, SummaryWorkColumn column, const QDate &first, const QDate &last, bool kept)
{
    if (!kept) {
        addSummaryDays(book, column, first, last);
        return;
    }
    const MonthSplit split = splitByMonths(first, last);
    for (const auto &[from, to] : split.days)
        addSummaryDays(book, column, from, to);
    if (split.months)
        addSummaryMonths(book, column, split.months->first, split.months->second);
}

void fillWorkTable(const Book &book, const SummaryInput &input, bool kept)
{
    std::vector<SummaryWorkAccount> chosen;
    chosen.reserve(input.accounts.size());
    for (const SummaryAccount &a : input.accounts)
        chosen.push_back({a.id, a.name, a.side});
    startSummaryWork(book, chosen);
    // The movement from the financial-year start up to the day before From
    // belongs to the opening.
    addMovement(book, SummaryWorkColumn::Opening, openingCountsFrom(input.finYearStart), input.fromDate.addDays(-1),
                kept);
    // Strict bounds: an opening equal to a bound stays; no bound drops nothing.
    dropSummaryOpeningsOutside(book, summaryBound(input.openingAbove, BoundSide::Lower),
                               summaryBound(input.openingBelow, BoundSide::Upper));
    addMovement(book, SummaryWorkColumn::Movement, input.fromDate, input.toDate, kept);
    settleSummaryBalances(book);
}

// A few accounts are checked through the side indexes; for many, one pass
// over the book costs less and is remembered until the book changes.
void checkRowsOf(const Book &book, const std::vector<SummaryAccount> &accounts)
{
    constexpr size_t FewAccounts = 50;
    if (accounts.size() > FewAccounts) {
        checkBookRows(book);
        return;
    }
    std::vector<qint64> ids;
    for (const SummaryAccount &a : accounts)
        ids.push_back(a.id);
    checkAccountRows(book, ids);
}

SummaryRow listedRow(const SummaryWorkRow &work)
{
    SummaryRow row;
    row.accountId = work.accountId;
    row.name = work.name;
    const auto amount = [&](const std::optional<qint64> &cents, const char *what) {
        if (!cents)
            throw DbError(amountsTooLarge(QStringLiteral("the %1 of %2").arg(QLatin1String(what), row.name)));
        return Money::fromCents(*cents);
    };
    row.opening = amount(work.opening, "opening");
    row.movement = amount(work.movement, "movement");
    row.balance = amount(work.balance, "balance");
    row.side = work.side.isEmpty() ? AccountSide::None : sideOfLetter(work.side[0]);
    return row;
}

void readListed(const Book &book, const SummaryInput &input, SummaryResult &summary)
{
    const auto add = [&summary](const SummaryWorkRow &work) {
        SummaryRow row = listedRow(work);
        summary.totalOpening = addAmounts(summary.totalOpening, row.opening,
                                          QStringLiteral("the total of the openings"));
        summary.totalMovement = addAmounts(summary.totalMovement, row.movement,
                                           QStringLiteral("the total of the movements"));
        summary.totalBalance = addAmounts(summary.totalBalance, row.balance,
                                          QStringLiteral("the total of the balances"));
        summary.listed.push_back(std::move(row));
    };
    forEachSummaryListed(book, summaryBound(input.balanceBelow, BoundSide::Upper),
                         summaryBound(input.balanceAbove, BoundSide::Lower), add);
}

} // namespace

std::optional<qint64> summaryBound(const QString &text, BoundSide side)
{
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?"));
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QString t = NullToText(text);
    const QRegularExpressionMatch m = number.match(t);
    const QString whole = m.captured(2), fraction = m.captured(3);
    // Beyond this many cents no sum of amounts can lie (they stop at 64 bits).
    constexpr __int128 Beyond = __int128(std::numeric_limits<qint64>::max()) + 1;
    __int128 cents = 0;
    for (const QChar c : whole) {
        cents = cents * 10 + (c.unicode() - '0');
        if (cents >= Beyond)
            return std::nullopt;
    }
    const QString places = (fraction + QStringLiteral("00")).left(2);
    cents = cents * 100 + places.toInt();
    // Digits past the cent put the number between two whole cents.
    const bool between = fraction.mid(2).contains(QRegularExpression(QStringLiteral("[1-9]")));
    const bool negative = m.captured(1) == QLatin1String("-");
    const bool roundAway = between && (side == BoundSide::Lower) != negative;
    if (roundAway)
        cents += 1;
    if (negative)
        cents = -cents;
    if (cents >= Beyond || cents < -Beyond)
        return std::nullopt;
    return qint64(cents);
}

SummaryResult computeSummary(const Book &book, const SummaryInput &input)
{
    SummaryResult summary;
    BookTransaction transaction(book, TransactionKind::Read);
    checkRowsOf(book, input.accounts);
    const bool kept = keptBalancesUsable(book);
    refusingOverflow(QStringLiteral("the movements of the chosen accounts"), [&] { fillWorkTable(book, input, kept); });
    readListed(book, input, summary);
    transaction.commit();
    return summary;
}

} // namespace bc
