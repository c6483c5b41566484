#pragma once

#include "book.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace bc {

// What statement import keeps in a book: the rules that pick a line's
// counter-account, and the keys of the lines imported into each account.

// Whether the open book holds the tables of statement import.
bool hasImportTables(const Book &book);

// A rule that picks a statement line's counter-account: when the line's
// payee (or memo) contains the text, letters of either case alike, the line
// goes to the account. Rules are tried in order; the first match wins.
struct ImportRule {
    enum class Field { Payee, Memo };
    Field field = Field::Payee;
    QString contains;
    qint64 accountId = 0;
    bool operator==(const ImportRule &) const = default;
};

// The rules in order, leaving out those whose account is gone.
QList<ImportRule> readImportRules(const Book &book);

// Replaces the rules with these, in this order.
void replaceImportRules(const Book &book, const QList<ImportRule> &rules);

// A line's key as recorded for an account: the transaction the line became
// or was matched to (0 for a line the user left out).
struct ImportedKey {
    qint64 accountId = 0;
    QString lineKey;
    qint64 tranId = 0;
};

// A recorded key as a preview reads it: its transaction, and that
// transaction's other side when it is an account (else 0).
struct RecordedKey {
    qint64 tranId = 0;
    qint64 counterAccountId = 0;
};

// The keys recorded for the account, by key, leaving out those whose
// transaction an undo of its import took away (addedByUndoneChange).
QHash<QString, RecordedKey> readRecordedKeys(const Book &book, qint64 accountId);

// The keys recorded for the account that name a transaction no longer in
// the book, with that transaction's id.
QHash<QString, qint64> readKeysOfGoneTransactions(const Book &book, qint64 accountId);

// Records the keys, a key recorded before for its account taking the new
// transaction.
void recordImportedKeys(const Book &book, const QList<ImportedKey> &keys);

// Records the keys of lines left out, keeping any key recorded before.
void recordSkippedKeys(const Book &book, const QList<ImportedKey> &keys);

// A transaction of the book a statement line may stand for, with its amount
// signed as the account's statement shows it (money in positive).
struct MatchCandidate {
    qint64 tranId = 0;
    QDate date;
    qint64 signedCents = 0;
    qint64 otherAccount = 0;
};

// The transactions of an amount on either side of the account dated from
// first to last, in date order, leaving out with leaveOutImported those
// recorded as imported into the account (the book must hold the import
// tables).
std::vector<MatchCandidate> readMatchCandidates(const Book &book, qint64 accountId, const QDate &first,
                                                const QDate &last, bool leaveOutImported);

// The first format that keeps the closing balances of imported statements.
constexpr int StatementBalancesFormat = 9;

// The closing balance of a statement imported into an account, as of the
// statement's date.
struct StatementBalance {
    QDate statementDate;
    qint64 closingCents = 0;
};

// Keeps the closing balance of a statement imported into the account; one
// kept for the same date is replaced. Does nothing on a book of an older
// format.
void keepStatementBalance(const Book &book, qint64 accountId, const StatementBalance &balance,
                          const QDateTime &importedAt);

// The balance of the account's latest imported statement dated after `after`
// (any date when invalid); none when no such statement was imported.
std::optional<StatementBalance> latestStatementBalance(const Book &book, qint64 accountId, const QDate &after);

} // namespace bc
