#pragma once

#include "accountside.h"
#include "book.h"
#include "dberror.h"
#include "money.h"
#include "rowarray.h"
#include "rowconflicts.h"
#include "transactionstore.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

namespace bc {

class ChangeRecorder;

// The columns of the transaction grid's row array. The To side comes before
// the From side, as the grid shows them. Version is the row's version when
// it was loaded (hidden; 0 for a new row).
namespace TranCol {
enum : int { Id, Date, To, From, Amount, Particulars, Status, Version, Count };
}

RowArray makeTranRows();

// What the transaction search asks for. A criterion that is off is passed to
// the search as a single blank (dates, sides) or 0 (ids, amount bounds).
struct TranSearch {
    bool applyDates = false;
    QDate fromDate;
    QDate toDate;
    qint64 fromAccount = 0; // 0: no account chosen
    AccountSide fromSide = AccountSide::None;
    qint64 toAccount = 0;
    AccountSide toSide = AccountSide::None;
    QString amount1; // lower bound as typed; blank for none
    QString amount2; // upper bound as typed
    QString particulars; // text the particulars must contain
    // Only transactions with a side naming one of these accounts or parties
    // (none: no such criterion; an empty list finds nothing). The window's
    // fields cannot show it: it comes from a figure opened elsewhere.
    std::optional<QList<AccountKey>> anySide;
};

// The search as the saved search query's arguments, and as the values bound
// to them in its order.
TransactionFilter tranSearchFilter(const TranSearch &search);
QVariantList tranSearchArguments(const TranSearch &search);

struct TranFindResult {
    RowArray rows = makeTranRows();
    Money total;
    int nullAmounts = 0; // rows stored without an amount, counted as 0
};

// Appends a row a search read to rows, marked unchanged.
void appendFoundRow(RowArray &rows, const FoundTransaction &found);

// Finds transactions through the book's saved search query, rows in the
// order it returns them. Refuses (DbError) a book holding rows in a form this
// program never writes, and a total past the 64-bit range of cents.
TranFindResult findTransactions(const Book &book, const TranSearch &search);

struct AccountChoice {
    qint64 id = 0;
    QString name;
    AccountSide side = AccountSide::Account;
    QString key() const { return sideLetter(side) + QString::number(id); }
};
// The accounts offered in the transaction lists, by name.
QList<AccountChoice> transactionAccounts(const Book &book);

// The name of an account ("A12") or party ("P3"); empty for anything unknown.
QString GetAccName(const Book &book, const QString &key);

// Checks one row before it is saved. Returns an empty text when it may be
// saved, else the message naming the row by its number (row + 1).
QString ValidateRow(const RowArray &rows, int row);

struct TranSaveResult {
    enum class Outcome { Saved, Refused, ChangedByOthers, Failed };
    Outcome outcome = Outcome::Saved;
    int refusedRow = -1;
    QString title;
    QString text;
    QString detail; // the database's description of a failure
    QList<qint64> savedIds; // ids of the saved rows, in grid order
    qint64 deletedCount = 0; // transactions removed by the deletions
    QList<StaleRow> changedByOthers; // when refused as ChangedByOthers
    bool ok() const { return outcome == Outcome::Saved; }
};

// What a save that failed says: the description of the failure too when
// the file is at fault (full, read-only, damaged).
QString saveFailureText(const DbError &error);

// Saves the rows marked EditMark::Changed and removes the transactions in
// deleted (the window's own list of rows deleted in the grid, with the
// versions it loaded), all or nothing: every marked row is checked first;
// then, in one transaction, the save is refused (ChangedByOthers, naming
// them) when another user changed or deleted any of the changed or deleted
// rows since they were loaded; else the deleted and old versions go, new rows get ids above the highest ever given
// (a deleted id is never given again) in grid order, and changed rows keep
// theirs. The change history records the save as made by source (the window
// or command saving). withinSave, when given, runs inside the save's
// transaction once the rows are in, with their ids and the save's change
// set; a DbError it throws fails the whole save. The row array is not changed, so a refused or failed save
// can be retried. The new rows' sides naming clearedAccount (0: none) are
// written cleared, as a statement import shows them.
TranSaveResult
saveTransactions(Book &book, const RowArray &rows, const QDateTime &now, const QList<LoadedRow> &deleted = {},
                 const QString &source = QStringLiteral("Transactions"),
                 const std::function<void(const QList<qint64> &savedIds, ChangeRecorder &history)> &withinSave = {},
                 qint64 clearedAccount = 0);

} // namespace bc
