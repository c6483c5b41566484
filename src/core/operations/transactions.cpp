#include "transactions.h"

#include "accounts.h"
#include "amountsum.h"
#include "bookcheck.h"
#include "booktransaction.h"
#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "textroutines.h"
#include "tranwriter.h"

namespace bc {

namespace {

qint64 amountBound(const QString &typed)
{
    return typed.trimmed().isEmpty() ? qint64(0) : Money::leadingNumber(typed).cents();
}

TranSaveResult outcome(TranSaveResult::Outcome kind, const QString &title, const QString &text)
{
    TranSaveResult r;
    r.outcome = kind;
    r.title = title;
    r.text = text;
    return r;
}

} // namespace

RowArray makeTranRows()
{
    return RowArray({CellType::Int, CellType::Date, CellType::Key, CellType::Key, CellType::Money, CellType::Text,
                     CellType::Int, CellType::Int});
}

TransactionFilter tranSearchFilter(const TranSearch &search)
{
    const QString blank = QStringLiteral(" ");
    const auto sideOrBlank = [&blank](qint64 account, AccountSide side) {
        return account && side != AccountSide::None ? QString(sideLetter(side)) : blank;
    };
    return {search.applyDates ? shortDateText(search.fromDate) : blank,
            search.applyDates ? shortDateText(search.toDate) : blank,
            search.fromAccount,
            sideOrBlank(search.fromAccount, search.fromSide),
            search.toAccount,
            sideOrBlank(search.toAccount, search.toSide),
            amountBound(search.amount1),
            amountBound(search.amount2),
            NullToText(search.particulars) + blank,
            search.anySide};
}

QVariantList tranSearchArguments(const TranSearch &search)
{
    return transactionFilterValues(tranSearchFilter(search));
}

void appendFoundRow(RowArray &rows, const FoundTransaction &found)
{
    const int r = rows.appendRow();
    rows.setInt(r, TranCol::Id, found.id);
    rows.setDate(r, TranCol::Date, found.date);
    rows.setText(r, TranCol::From, found.from);
    rows.setText(r, TranCol::To, found.to);
    if (found.cents)
        rows.setMoney(r, TranCol::Amount, Money::fromCents(*found.cents));
    rows.setText(r, TranCol::Particulars, found.particulars);
    rows.setEditMark(r, TranCol::Status, EditMark::Unchanged);
    if (found.version)
        rows.setInt(r, TranCol::Version, *found.version);
}

TranFindResult findTransactions(const Book &book, const TranSearch &search)
{
    checkBookRows(book);
    TranFindResult result;
    RowArray &rows = result.rows;
    forEachSearchedTransaction(book, tranSearchFilter(search), [&](const FoundTransaction &found) {
        appendFoundRow(rows, found);
        if (!found.cents)
            ++result.nullAmounts;
        else
            result.total = addAmounts(result.total, rows.moneyAt(rows.rowCount() - 1, TranCol::Amount),
                                      QStringLiteral("the total of the transactions found"));
    });
    return result;
}

QList<AccountChoice> transactionAccounts(const Book &book)
{
    QList<AccountChoice> list;
    for (const IdName &account : accountNames(book))
        list.append({account.id, account.name, AccountSide::Account});
    return list;
}

QString GetAccName(const Book &book, const QString &key)
{
    const QString k = NullToText(key);
    if (k.isEmpty())
        return QString();
    bool ok = false;
    const qint64 id = k.mid(1).toLongLong(&ok);
    if (!ok)
        return QString();
    return accountOrPartyName(book, k[0], id).value_or(QString());
}

QString ValidateRow(const RowArray &rows, int row)
{
    const QString prefix = QStringLiteral("Bad data in Record No %1\r\n").arg(row + 1);
    if (!rows.dateAt(row, TranCol::Date).isValid())
        return prefix + QStringLiteral("Invalid Date!");
    const QString to = NullToText(rows.textAt(row, TranCol::To));
    const QString from = NullToText(rows.textAt(row, TranCol::From));
    if (to.isEmpty() || from.isEmpty())
        return prefix + QStringLiteral("Invalid Account!");
    if (rows.moneyAt(row, TranCol::Amount).isZero())
        return prefix + QStringLiteral("Invalid Amount");
    if (to == from)
        return prefix + QStringLiteral("From A/c same as To A/c!");
    return QString();
}

QString saveFailureText(const DbError &error)
{
    const QString text = QStringLiteral("Error saving the data");
    return error.isUserFacing() ? text + QStringLiteral("\r\n\r\n") + error.description() : text;
}

TranSaveResult
saveTransactions(Book &book, const RowArray &rows, const QDateTime &now, const QList<LoadedRow> &deleted,
                 const QString &source,
                 const std::function<void(const QList<qint64> &savedIds, ChangeRecorder &history)> &withinSave,
                 qint64 clearedAccount)
{
    QList<int> marked;
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            marked << r;
    for (int r : marked) {
        if (const QString problem = ValidateRow(rows, r); !problem.isEmpty()) {
            TranSaveResult refused = outcome(TranSaveResult::Outcome::Refused, QStringLiteral("Error"), problem);
            refused.refusedRow = r;
            return refused;
        }
    }
    try {
        BookTransaction transaction(book);
        ChangeRecorder history(book, source);
        TranWriter writer(book, now);
        writer.clearSidesOf(clearedAccount);
        for (int r : marked)
            writer.add(rows, r);
        if (QList<StaleRow> stale = writer.staleRows(deleted); !stale.isEmpty()) {
            TranSaveResult refused = outcome(TranSaveResult::Outcome::ChangedByOthers, staleRowsTitle(),
                                             staleRowsText(stale, now.date()));
            refused.changedByOthers = std::move(stale);
            return refused;
        }
        TranSaveResult saved;
        saved.savedIds = writer.write(deleted, &saved.deletedCount, &history);
        if (withinSave)
            withinSave(saved.savedIds, history);
        history.finish();
        transaction.commit();
        return saved;
    } catch (const DbError &e) {
        // Everything above is rolled back. A date within the closed period
        // is the typist's to change: the rows stay to be put right.
        if (e.fault() == DbFault::ClosedPeriod) {
            TranSaveResult refused = outcome(TranSaveResult::Outcome::Refused, QStringLiteral("Error"),
                                             e.description());
            refused.detail = e.description();
            return refused;
        }
        TranSaveResult failed = outcome(TranSaveResult::Outcome::Failed, QStringLiteral("Error"), saveFailureText(e));
        failed.detail = e.description();
        return failed;
    }
}

} // namespace bc
