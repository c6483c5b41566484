#pragma once

#include "book.h"
#include "money.h"
#include "statement.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace bc {

// What becomes of one statement line when the import is applied.
enum class ImportStatus {
    New, // added as a transaction
    Duplicate, // imported into this account before: skipped
    Matched, // already in the book as a hand-entered transaction: recorded against it
    Skipped, // left out: a line of no amount, or one the user chose to leave out (remembered)
    Imported // added by the import just applied: nothing more to write
};

// "New", "Duplicate", "Matched", "Skipped", "Imported".
QString importStatusText(ImportStatus status);

struct PreviewLine {
    StatementLine line;
    // How the line is known to the book: the bank's unique id, else a hash of
    // date, amount and payee; a repeat within the statement is numbered.
    QString key;
    ImportStatus status = ImportStatus::New;
    // Whether the key was imported into the account before the preview: such
    // a line marked New by the user is added again, its key kept as it is.
    bool importedBefore = false;
    // Whether the user left the key out of an import into the account
    // before: the line is Skipped again until the user sets it otherwise.
    bool skippedBefore = false;
    qint64 matchedTranId = 0; // the transaction a Matched line stands for
    // From the rules, else the uncategorised account; 0: none. A line
    // imported before shows the other side of the transaction it became.
    qint64 counterAccountId = 0;
    // The transaction's sides: money in comes from the counter-account to
    // the statement's account, money out goes the other way.
    qint64 fromAccount(qint64 accountId) const;
    qint64 toAccount(qint64 accountId) const;
};

// The lines of a statement as they would be imported into one account,
// before anything is written. The caller may change each line's status and
// counter-account before applying it.
struct StatementPreview {
    qint64 accountId = 0;
    std::vector<PreviewLine> lines;
    Money balanceNow; // the account's opening amount and all its movements in the book
    std::optional<Money> closingBalance; // as the statement states it
    // The day the closing balance stands at: the end of the statement's
    // period, else its latest line; invalid for a statement of no lines and
    // no period.
    QDate statementDate;
};

struct ImportTotals {
    Money moneyIn; // of every line, whatever its status
    Money moneyOut;
    int added = 0; // New
    int imported = 0;
    int duplicates = 0;
    int matched = 0;
    int skipped = 0;
    // balanceNow and the amounts of the lines to be added.
    Money balanceAfter;
};

// Totals and the balance after import, as the lines stand now. Refuses
// (DbError) totals past the range of amounts.
ImportTotals importTotals(const StatementPreview &preview);

// Reads the book and sorts the statement's lines into new, duplicate (its key
// imported into the account before) and matched (a transaction of the book
// not imported into the account, on the same side of it, of the same amount,
// dated within 3 days, and not matched by an earlier line; the nearest date
// first). Counter-accounts come from the book's rules, else uncategorisedId
// (0 for none). Writes nothing.
StatementPreview previewImport(const Book &book, const Statement &statement, qint64 accountId, qint64 uncategorisedId);

struct ImportResult {
    bool ok = false;
    // On failure: the line at fault, by its place in the preview, its date,
    // amount and payee, and what the user can do about it.
    QString text;
    int added = 0;
    int matched = 0;
    int skipped = 0;
    int duplicates = 0; // Duplicate and Imported lines, already in the book
    QList<qint64> addedIds;
    // The status each line written now bears: Imported for those added,
    // Matched for those recorded against a transaction, by key.
    QHash<QString, ImportStatus> written;
};

// Writes the preview in one transaction: New lines as transactions (through
// the checks and id series of saveTransactions), the keys of New and Matched
// lines as imported into the account, the keys of Skipped lines (with an
// amount) as left out, Duplicate and Imported lines not at all, and the
// statement's closing balance where it states one, to be offered when the
// account is reconciled. Refuses
// everything, changing nothing, on any fault, naming the line.
ImportResult applyImport(Book &book, const StatementPreview &preview, const QDateTime &now);

// The preview of lines read again from the book after an import, shown as
// that import wrote them: a Duplicate line whose key it wrote bears the
// status it was written with.
void showWritten(StatementPreview &preview, const QHash<QString, ImportStatus> &written);

} // namespace bc
