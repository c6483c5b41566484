#pragma once

#include "accountstore.h"
#include "book.h"
#include "money.h"
#include "rowarray.h"
#include "rowconflicts.h"

#include <QDate>
#include <QList>
#include <QString>

namespace bc {

// The columns of the account grid's row array.
namespace AccountCol {
// Version is the row's version when it was loaded (hidden; 0 for a new row).
// CashOrBank is 1 for a cash or bank account, 0 for another; empty in a row
// that leaves the account's setting as it is.
enum : int { Id, SerialNo, Name, Type, Opening, CurrentBalance, Particulars, Status, Version, CashOrBank, Count };
} // namespace AccountCol

// The form in which account names are told apart: trimmed, the case of
// every letter folded ("Bank" and "bank", "Äpfel" and "äpfel" are one name).
QString accountNameKey(const QString &name);

// The refusal of a name that another account has (title "Invalid Data").
QString existingNameMessage();

// An empty row array with the account grid's columns.
RowArray makeAccountRows();

struct AccountFindResult {
    RowArray rows = makeAccountRows();
    Money total; // sum of the listed opening amounts
};

// Lists accounts in name order, each with its "cash or bank" setting
// (isCashAccount). nameFilter matches names that begin with it,
// "*" standing for any run of characters and every other character (quotes,
// "%", "_") matching itself; open1/open2 are inclusive bounds on the opening
// amount read as the number they begin with, ignored when blank.
AccountFindResult findAccounts(const Book &book, const QString &nameFilter, const QString &open1, const QString &open2);

// Accounts by name, for drop-down lists; account types by name.
QList<IdName> accountNames(const Book &book);
QList<IdName> accountTypes(const Book &book);

struct AccountSaveResult {
    enum class Outcome { Saved, EmptyName, ExistingName, RepeatingName, InUse, ChangedByOthers, Failed };
    Outcome outcome = Outcome::Saved;
    QString title; // the message to show when refused or failed
    QString text;
    QString detail; // the database's description of a failure
    int refusedRow = -1; // the first row at fault when refused, else -1
    QList<qint64> savedIds; // ids of the saved rows, in grid order
    qint64 deletedCount = 0; // accounts removed by the deletions
    QList<StaleRow> changedByOthers; // when refused as ChangedByOthers
    bool ok() const { return outcome == Outcome::Saved; }
};

// Applies an edit cycle: the rows marked EditMark::Changed (new rows have id
// 0 and get ids above the highest ever given, in row order) replace or add
// accounts, and the accounts in deleted (the window's own list of rows
// deleted in the grid, with the versions it loaded) are removed. When
// another user changed or deleted any of these rows since they were loaded
// (its version is no longer the loaded one), nothing is saved and the
// refusal (ChangedByOthers) names them. Deleting an account that
// transactions use is refused, naming it and their count. Names must be
// non-empty and unique (compared by accountNameKey); a refusal names the
// first row at fault, for a repeated name the later of the two. Everything
// happens in one transaction: the table ends fully updated or exactly as it
// was, the saved rows' "cash or bank" settings with it, and is recorded in the change history as made by source (the
// window or command saving).
AccountSaveResult saveAccounts(Book &book, const RowArray &rows, const QDate &today,
                               const QList<LoadedRow> &deleted = {},
                               const QString &source = QStringLiteral("Accounts"));

} // namespace bc
