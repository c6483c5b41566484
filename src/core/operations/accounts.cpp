#include "accounts.h"

#include "accountstore.h"
#include "booktransaction.h"
#include "dberror.h"
#include "financialstatements.h"
#include "history.h"
#include "historyrows.h"
#include "idmarks.h"
#include "rowversions.h"
#include "statementstore.h"
#include "textroutines.h"

#include <QSet>
#include <optional>

namespace bc {

namespace {

constexpr qint64 HighestAccountId = 32767;

AccountSaveResult refused(AccountSaveResult::Outcome outcome, const QString &title, const QString &text)
{
    AccountSaveResult r;
    r.outcome = outcome;
    r.title = title;
    r.text = text;
    return r;
}

// Refuses to delete an account that transactions still use: they would point
// at nothing, and at whatever account later took the id.
std::optional<AccountSaveResult> deletionInUse(const Book &book, const QList<LoadedRow> &deleted)
{
    for (const auto &[id, version] : deleted) {
        const std::optional<QString> name = readAccountName(book, id);
        if (!name)
            continue;
        const qint64 count = countTransactionsOfAccount(book, id);
        if (count > 0)
            return refused(AccountSaveResult::Outcome::InUse, QStringLiteral("Invalid Data"),
                           QStringLiteral("%1 is used by %2 %3")
                               .arg(*name)
                               .arg(count)
                               .arg(count == 1 ? QStringLiteral("transaction") : QStringLiteral("transactions")));
    }
    return std::nullopt;
}

// The account rows of the save that were loaded from the book, changed in
// the grid or deleted, that another user changed or deleted since. A deleted
// row is named as the book names it now.
QList<StaleRow> staleAccounts(const Book &book, const RowArray &rows, const QList<int> &changedRows,
                              const QList<LoadedRow> &deleted, const QHash<qint64, qint64> &current)
{
    QList<LoadedRow> loaded;
    QStringList labels;
    for (const int row : changedRows) {
        loaded << LoadedRow(rows.intAt(row, AccountCol::Id), rows.intAt(row, AccountCol::Version));
        labels << NullToText(rows.textAt(row, AccountCol::Name));
    }
    for (const LoadedRow &row : deleted) {
        loaded << row;
        labels << readAccountName(book, row.id).value_or(QStringLiteral("Account %1").arg(row.id));
    }
    return staleRows(book, HistoryTable::Accounts, loaded, labels, current);
}

// An account's "cash or bank" setting: its own, else the default.
bool cashSettingOf(const QHash<qint64, bool> &settings, qint64 id, const QString &name)
{
    const auto found = settings.constFind(id);
    return isCashAccount(name, found == settings.constEnd() ? std::nullopt : std::optional<bool>(*found));
}

} // namespace

QString accountNameKey(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

QString existingNameMessage()
{
    return QStringLiteral("Invalid data\r\n\r\nYou are entering account with existing name.");
}

RowArray makeAccountRows()
{
    return RowArray({CellType::Int, CellType::Int, CellType::Text, CellType::Int, CellType::Money, CellType::Text,
                     CellType::Text, CellType::Int, CellType::Int, CellType::Int});
}

AccountFindResult findAccounts(const Book &book, const QString &nameFilter, const QString &open1, const QString &open2)
{
    AccountFilter filter;
    filter.namePrefix = nameFilter.trimmed();
    if (!open1.trimmed().isEmpty())
        filter.openingFromCents = Money::leadingNumber(open1).cents();
    if (!open2.trimmed().isEmpty())
        filter.openingToCents = Money::leadingNumber(open2).cents();

    AccountFindResult result;
    RowArray &rows = result.rows;
    const QHash<qint64, bool> cash = readCashSettings(book);
    for (const AccountRecord &a : readAccounts(book, filter)) {
        const int r = rows.appendRow();
        rows.setInt(r, AccountCol::Id, a.id);
        rows.setInt(r, AccountCol::SerialNo, r + 1);
        rows.setText(r, AccountCol::Name, a.name);
        if (a.type)
            rows.setInt(r, AccountCol::Type, *a.type);
        const Money opening = Money::fromCents(a.openingCents);
        rows.setMoney(r, AccountCol::Opening, opening);
        rows.setText(r, AccountCol::CurrentBalance, QString());
        rows.setText(r, AccountCol::Particulars, a.particulars);
        rows.setEditMark(r, AccountCol::Status, EditMark::Unchanged);
        rows.setInt(r, AccountCol::Version, a.version);
        rows.setInt(r, AccountCol::CashOrBank, cashSettingOf(cash, a.id, a.name) ? 1 : 0);
        result.total += opening;
    }
    return result;
}

QList<IdName> accountNames(const Book &book)
{
    return readAccountNames(book);
}

QList<IdName> accountTypes(const Book &book)
{
    return readAccountTypes(book);
}

AccountSaveResult saveAccounts(Book &book, const RowArray &rows, const QDate &today, const QList<LoadedRow> &deleted,
                               const QString &source)
{
    using Outcome = AccountSaveResult::Outcome;
    const bool versioned = hasRowVersions(book);
    try {
        BookTransaction transaction(book);
        QList<int> changedRows;
        QList<qint64> replaced = idsOf(deleted);
        qint64 newCount = 0;
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (rows.editMarkAt(row, AccountCol::Status) != EditMark::Changed)
                continue;
            if (const qint64 id = rows.intAt(row, AccountCol::Id); id == 0)
                ++newCount;
            else
                replaced << id;
            changedRows << row;
        }
        const QHash<qint64, qint64> current = versioned ? currentVersions(book, HistoryTable::Accounts, replaced)
                                                        : QHash<qint64, qint64>();
        if (QList<StaleRow> stale = staleAccounts(book, rows, changedRows, deleted, current); !stale.isEmpty()) {
            AccountSaveResult r = refused(Outcome::ChangedByOthers, staleRowsTitle(), staleRowsText(stale, today));
            r.changedByOthers = std::move(stale);
            return r;
        }
        const qint64 firstNew = reserveIds(book, IdSeries::Accounts, newCount);
        qint64 nextNew = firstNew;
        ChangeRecorder history(book, source);
        QList<qint64> saved;
        QList<int> savedRows;
        QList<StagedAccount> toStage;
        QStringList savedNames; // compared as accountNameKey gives them
        const QHash<qint64, bool> cashBefore = readCashSettings(book);
        QList<CashSetting> cashChanges;
        for (const int row : changedRows) {
            qint64 id = rows.intAt(row, AccountCol::Id);
            if (id == 0)
                id = nextNew++;
            if (id < 1 || id > HighestAccountId)
                throw DbError(QStringLiteral("Account id %1 is outside 1 to %2.").arg(id).arg(HighestAccountId));
            const QString name = NullToText(rows.textAt(row, AccountCol::Name));
            if (name.isEmpty()) {
                AccountSaveResult r = refused(Outcome::EmptyName, QStringLiteral("Invalid data"),
                                              QStringLiteral(
                                                  "Invalid data :\r\n\r\nYou havn't entered any Account name."));
                r.refusedRow = row;
                return r;
            }
            toStage.append({id, name, rows.intAt(row, AccountCol::Type), rows.moneyAt(row, AccountCol::Opening).cents(),
                            NullToText(rows.textAt(row, AccountCol::Particulars)), current.value(id) + 1});
            // A row that holds no setting (one not read by findAccounts)
            // leaves the account's as it is.
            const bool cash = rows.intAt(row, AccountCol::CashOrBank) != 0;
            if (!rows.isNull(row, AccountCol::CashOrBank) && cash != cashSettingOf(cashBefore, id, name.trimmed()))
                cashChanges.append({id, cash});
            saved << id;
            savedRows << row;
            savedNames << accountNameKey(name);
        }
        stageAccounts(book, toStage, today);
        if (auto inUse = deletionInUse(book, deleted))
            return *inUse;
        history.keepBefore(HistoryTable::Accounts, replaced);
        history.added(HistoryTable::Accounts, firstNew, nextNew - 1);
        const qint64 deletedCount = deleteAccounts(book, idsOf(deleted));
        deleteStagedAccountIds(book);
        // Names are compared in C++, since the database folds the case of the
        // letters A to Z only.
        const auto refusedAt = [&](int staged, Outcome outcome, const QString &text) {
            AccountSaveResult r = refused(outcome, QStringLiteral("Invalid Data"), text);
            r.refusedRow = savedRows[staged];
            return r;
        };
        QSet<QString> staying;
        for (const QString &name : readAllAccountNames(book))
            staying.insert(accountNameKey(name));
        for (int i = 0; i < savedNames.size(); ++i)
            if (staying.contains(savedNames[i]))
                return refusedAt(i, Outcome::ExistingName, existingNameMessage());
        QSet<QString> earlier;
        for (int i = 0; i < savedNames.size(); ++i) {
            if (earlier.contains(savedNames[i]))
                return refusedAt(i, Outcome::RepeatingName,
                                 QStringLiteral("Invalid data\r\n\r\nYou are entering account with repeating name."));
            earlier.insert(savedNames[i]);
        }
        insertStagedAccounts(book);
        for (const CashSetting &setting : cashChanges)
            writeCashSetting(book, setting.accountId, setting.cashOrBank);
        history.finish();
        transaction.commit();
        AccountSaveResult result;
        result.savedIds = saved;
        result.deletedCount = deletedCount;
        return result;
    } catch (const DbError &e) {
        // The guard has rolled everything back, staging rows included. A
        // fault of the file is named, since checking the entries cannot help.
        AccountSaveResult r = refused(Outcome::Failed, QStringLiteral("Error"),
                                      e.isUserFacing()
                                          ? QStringLiteral("Error : \r\n\r\n") + e.description()
                                          : QStringLiteral(
                                              "Error : \r\n\r\nInvalid Data.\r\nPlease check all entries again."));
        r.detail = e.description();
        return r;
    }
}

} // namespace bc
