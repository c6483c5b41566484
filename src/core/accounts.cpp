#include "accounts.h"

#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>
#include <optional>

namespace bc {

namespace {

constexpr qint64 HighestAccountId = 32767;

QString likePattern(const QString &filter)
{
    QString pattern;
    for (const QChar c : filter) {
        if (c == u'*')
            pattern += u'%';
        else if (c == u'%' || c == u'_' || c == u'\\')
            pattern += QStringLiteral("\\") + c;
        else
            pattern += c;
    }
    return pattern + u'%';
}

QList<IdName> idNames(const QSqlDatabase &db, const QString &statement)
{
    QList<IdName> list;
    QSqlQuery q = runSql(db, statement);
    while (q.next())
        list.append({NullToText(q.value(0)).toLongLong(), NullToText(q.value(1))});
    return list;
}

AccountSaveResult refused(AccountSaveResult::Outcome outcome, const QString &title, const QString &text)
{
    AccountSaveResult r;
    r.outcome = outcome;
    r.title = title;
    r.text = text;
    return r;
}

// The id in the first staged row the statement finds, if any.
std::optional<qint64> firstStagedId(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery q = runSql(db, statement);
    return q.next() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
}

} // namespace

RowArray makeAccountRows()
{
    return RowArray({CellType::Int, CellType::Int, CellType::Text, CellType::Int, CellType::Money, CellType::Text,
                     CellType::Text, CellType::Text});
}

AccountFindResult findAccounts(const QSqlDatabase &db, const QString &nameFilter, const QString &open1,
                               const QString &open2)
{
    QString statement = QStringLiteral("SELECT account_id, account_name, account_type, open_amount, particulars "
                                       "FROM account_master WHERE 1=1");
    QVariantList values;
    if (!nameFilter.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND account_name LIKE ? ESCAPE '\\'");
        values << likePattern(nameFilter.trimmed());
    }
    if (!open1.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND open_amount >= ?");
        values << Money::leadingNumber(open1).cents();
    }
    if (!open2.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND open_amount <= ?");
        values << Money::leadingNumber(open2).cents();
    }
    statement += QStringLiteral(" ORDER BY account_name");

    AccountFindResult result;
    RowArray &rows = result.rows;
    QSqlQuery q = runSql(db, statement, values);
    while (q.next()) {
        const int r = rows.appendRow();
        rows.setInt(r, AccountCol::Id, NullToText(q.value(0)).toLongLong());
        rows.setInt(r, AccountCol::SerialNo, r + 1);
        rows.setText(r, AccountCol::Name, q.value(1).toString().trimmed());
        if (const QString type = NullToText(q.value(2)); !type.isEmpty())
            rows.setInt(r, AccountCol::Type, type.toLongLong());
        const Money opening = Money::fromCents(q.value(3).toLongLong());
        rows.setMoney(r, AccountCol::Opening, opening);
        rows.setText(r, AccountCol::CurrentBalance, QString());
        rows.setText(r, AccountCol::Particulars, NullToText(q.value(4)));
        rows.setText(r, AccountCol::Status, QString());
        result.total += opening;
    }
    return result;
}

QList<IdName> accountNames(const QSqlDatabase &db)
{
    return idNames(db, QStringLiteral("SELECT account_id, account_name FROM account_master ORDER BY account_name"));
}

QList<IdName> accountTypes(const QSqlDatabase &db)
{
    return idNames(db, QStringLiteral("SELECT account_type_id, account_type FROM Account_Type_Master ORDER BY account_type"));
}

void beginAccountEdit(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("DELETE FROM tmp_account_d"));
    runSql(db, QStringLiteral("DELETE FROM tmp_account_i"));
}

void stageAccountDeletion(const QSqlDatabase &db, qint64 id)
{
    runSql(db, QStringLiteral("INSERT INTO tmp_account_d VALUES (?)"), {id});
}

AccountSaveResult saveAccounts(const QSqlDatabase &db, const RowArray &rows, const QDate &today,
                               StagedDeletions deletions)
{
    using Outcome = AccountSaveResult::Outcome;
    const QString versionDate = today.toString(QStringLiteral("MM/dd/yyyy"));
    try {
        TransactionGuard transaction(db);
        runSql(db, QStringLiteral("DELETE FROM tmp_account_i"));
        qint64 highest = 0;
        {
            QSqlQuery q = runSql(db, QStringLiteral("SELECT MAX(account_id) FROM account_master"));
            if (q.next())
                highest = NullToText(q.value(0)).toLongLong();
        }
        QList<qint64> saved;
        QList<int> savedRows;
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (NullToText(rows.textAt(row, AccountCol::Status)) != QLatin1String("I"))
                continue;
            qint64 id = rows.intAt(row, AccountCol::Id);
            if (id == 0)
                id = ++highest;
            if (id < 1 || id > HighestAccountId)
                throw DbError(QStringLiteral("Account id %1 is outside 1 to %2.").arg(id).arg(HighestAccountId));
            const QString name = NullToText(rows.textAt(row, AccountCol::Name));
            if (name.isEmpty()) {
                AccountSaveResult r = refused(Outcome::EmptyName, QStringLiteral("Invalid data"),
                                              QStringLiteral("Invalid data :\r\n\r\nYou havn't entered any Account name."));
                r.refusedRow = row;
                return r;
            }
            runSql(db, QStringLiteral("INSERT INTO tmp_account_i (Account_ID, Account_Name, Account_Type, "
                                      "Open_amount, particulars, version_date) VALUES (?, ?, ?, ?, ?, ?)"),
                   {id, name, rows.intAt(row, AccountCol::Type), rows.moneyAt(row, AccountCol::Opening).cents(),
                    NullToText(rows.textAt(row, AccountCol::Particulars)), versionDate});
            saved << id;
            savedRows << row;
        }
        if (deletions == StagedDeletions::Apply)
            runSql(db, QStringLiteral("DELETE FROM account_master WHERE account_id IN (SELECT account_id FROM tmp_account_d)"));
        runSql(db, QStringLiteral("DELETE FROM account_master WHERE account_id IN (SELECT Account_ID FROM tmp_account_i)"));
        const auto refusedAt = [&](std::optional<qint64> id, Outcome outcome, const QString &text) {
            AccountSaveResult r = refused(outcome, QStringLiteral("Invalid Data"), text);
            r.refusedRow = savedRows.value(saved.indexOf(*id), -1);
            return r;
        };
        if (const auto id = firstStagedId(db, QStringLiteral(
                "SELECT A.Account_ID FROM tmp_account_i AS A, account_master AS B "
                "WHERE A.Account_Name = B.account_name COLLATE NOCASE "
                "AND A.Account_ID <> B.account_id ORDER BY A.rowid LIMIT 1")))
            return refusedAt(id, Outcome::ExistingName,
                             QStringLiteral("Invalid data\r\n\r\nYou are entering account with existing name."));
        if (const auto id = firstStagedId(db, QStringLiteral(
                "SELECT A.Account_ID FROM tmp_account_i AS A, tmp_account_i AS B "
                "WHERE A.Account_Name = B.Account_Name COLLATE NOCASE "
                "AND A.Account_ID <> B.Account_ID AND B.rowid < A.rowid ORDER BY A.rowid LIMIT 1")))
            return refusedAt(id, Outcome::RepeatingName,
                             QStringLiteral("Invalid data\r\n\r\nYou are entering account with repeating name."));
        runSql(db, QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                                  "particulars, version_date) SELECT * FROM tmp_account_i"));
        transaction.commit();
        AccountSaveResult result;
        result.savedIds = saved;
        return result;
    } catch (const DbError &e) {
        // The guard has rolled everything back, staging rows included. A
        // fault of the file is named, since checking the entries cannot help.
        AccountSaveResult r = refused(Outcome::Failed, QStringLiteral("Error"),
                                      e.isFileFault() ? QStringLiteral("Error : \r\n\r\n") + e.description()
                                                      : QStringLiteral("Error : \r\n\r\nInvalid Data.\r\nPlease check all entries again."));
        r.detail = e.description();
        return r;
    }
}

} // namespace bc
