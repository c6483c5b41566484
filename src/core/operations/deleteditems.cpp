#include "deleteditems.h"

#include "booktransaction.h"
#include "dberror.h"
#include "history.h"
#include "historychecks.h"

#include <QSet>

namespace bc {

namespace {

// A transaction whose account is neither in the book nor among the items.
QString missingAccount(const Book &book, const QList<DeletedItem> &items)
{
    QSet<qint64> accounts;
    for (const DeletedItem &item : items)
        if (item.isAccount)
            accounts.insert(item.id);
    for (const DeletedItem &item : items) {
        if (item.isAccount)
            continue;
        for (const QString &side : {item.from, item.to}) {
            if (!side.startsWith(u'A'))
                continue;
            const qint64 account = side.mid(1).toLongLong();
            if (!accounts.contains(account) && !rowExists(book, HistoryTable::Accounts, account))
                return QStringLiteral("Transaction %1 uses account %2, which is deleted; restore that account "
                                      "together with it.")
                    .arg(item.id)
                    .arg(account);
        }
    }
    return QString();
}

} // namespace

QList<DeletedItem> deletedItems(const Book &book)
{
    if (!hasHistory(book))
        return {};
    return deletedRows(book, HistoryTable::Accounts) + deletedRows(book, HistoryTable::Transactions);
}

UndoResult restoreDeleted(Book &book, const QList<DeletedItem> &items, const QString &source)
{
    if (items.isEmpty())
        return {false, QStringLiteral("Choose the items to restore."), 0};
    try {
        BookTransaction transaction(book);
        if (const QString missing = missingAccount(book, items); !missing.isEmpty())
            return {false, missing, 0};
        ChangeRecorder recorder(book, source, QStringLiteral("Restore"));
        for (const HistoryTable table : {HistoryTable::Accounts, HistoryTable::Transactions}) {
            QList<qint64> ids;
            for (const DeletedItem &item : items)
                if (item.isAccount == (table == HistoryTable::Accounts))
                    ids << item.id;
            recorder.keepBefore(table, ids);
            for (const DeletedItem &item : items) {
                if (item.isAccount != (table == HistoryTable::Accounts))
                    continue;
                if (rowExists(book, table, item.id))
                    return {false,
                            QStringLiteral("%1 %2 is in the book already.")
                                .arg(item.isAccount ? QStringLiteral("Account") : QStringLiteral("Transaction"))
                                .arg(item.id),
                            0};
                putBackKeptRow(book, item.changeSet, table, item.id);
            }
        }
        const qint64 set = recorder.finish();
        if (const QString problem = accountsProblem(book, set); !problem.isEmpty())
            return {false, problem, 0};
        transaction.commit();
        return {true, QStringLiteral("%1 item(s) were restored.").arg(items.size()), set};
    } catch (const DbError &e) {
        return {false, QStringLiteral("The items could not be restored: %1").arg(e.description()), 0};
    }
}

} // namespace bc
