#pragma once

#include "book.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bc {

// The accounts of a book: account_master and the account types.

// One account as the book holds it.
struct AccountRecord {
    qint64 id = 0;
    QString name; // trimmed
    std::optional<qint64> type; // none when the book has no type for it
    qint64 openingCents = 0;
    QString particulars;
    qint64 version = 0; // 0 for a book without row versions
};

// Which accounts a listing holds: names beginning with namePrefix ("*"
// standing for any run of characters, every other character matching
// itself, letters of either case alike; all when blank) and openings within
// the inclusive bounds that are given.
struct AccountFilter {
    QString namePrefix;
    std::optional<qint64> openingFromCents;
    std::optional<qint64> openingToCents;
};

// The accounts the filter lets through, in name order.
std::vector<AccountRecord> readAccounts(const Book &book, const AccountFilter &filter);

struct IdName {
    qint64 id = 0;
    QString name;
};
// Accounts by name; account types by name.
QList<IdName> readAccountNames(const Book &book);
QList<IdName> readAccountTypes(const Book &book);

// The ids and the names (as stored) of every account.
QSet<qint64> readAccountIds(const Book &book);
QStringList readAllAccountNames(const Book &book);

// The trimmed name of the account, or nothing when the book has none of
// that id.
std::optional<QString> readAccountName(const Book &book, qint64 id);

// Gives the accounts the next row version, where the book keeps versions:
// for a change of theirs held in another table (their "cash or bank"
// setting), so that the history and other windows see them changed.
void advanceAccountVersions(const Book &book, const QList<qint64> &ids);

// How many transactions have the account on either side.
qint64 countTransactionsOfAccount(const Book &book, qint64 id);

// The account's opening amount (a blank one as 0), or nothing when the book
// has no account of that id.
std::optional<qint64> readOpeningCents(const Book &book, qint64 id);

// The sum of the amounts of the transactions into the account (moneyIn) or
// out of it. Throws the sum's overflow as DbError (isSumOverflow).
qint64 sumMovementCents(const Book &book, qint64 id, bool moneyIn);

// An account a save writes, staged first so that the names can be checked
// against the accounts the save leaves in place.
struct StagedAccount {
    qint64 id = 0;
    QString name;
    qint64 type = 0;
    qint64 openingCents = 0;
    QString particulars;
    qint64 version = 0; // the version the row is written with
};

// Stages the accounts of a save, replacing any staged before.
void stageAccounts(const Book &book, const QList<StagedAccount> &accounts, const QDate &versionDate);

// Removes the accounts of ids, with their "cash or bank" setting, and returns
// how many there were.
qint64 deleteAccounts(const Book &book, const QList<qint64> &ids);

// Removes the accounts the staged ones replace.
void deleteStagedAccountIds(const Book &book);

// Writes the staged accounts into account_master.
void insertStagedAccounts(const Book &book);

} // namespace bc
