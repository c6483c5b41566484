#include "accountcsv.h"

#include "accounts.h"
#include "bookaccess.h"
#include "clierror.h"
#include "importheader.h"
#include "texttable.h"

#include <QHash>

namespace bc::cli {

namespace {

QString typeText(const QHash<qint64, QString> &typeNames, const RowArray &rows, int r)
{
    if (rows.isNull(r, AccountCol::Type) || rows.intAt(r, AccountCol::Type) == 0)
        return QString();
    const qint64 type = rows.intAt(r, AccountCol::Type);
    return typeNames.value(type, QString::number(type));
}

QHash<qint64, QString> typeNamesById(const QSqlDatabase &db)
{
    QHash<qint64, QString> names;
    for (const IdName &t : accountTypes(db))
        names.insert(t.id, t.name);
    return names;
}

// A type cell as typed: empty, a type's name in any case, or a type's number.
std::optional<qint64> parseType(const QHash<qint64, QString> &typeNames, const QString &text, bool &ok)
{
    ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (auto it = typeNames.constBegin(); it != typeNames.constEnd(); ++it)
        if (it.value().compare(t, Qt::CaseInsensitive) == 0)
            return it.key();
    bool number = false;
    const qint64 id = t.toLongLong(&number);
    if (number && typeNames.contains(id))
        return id;
    ok = false;
    return std::nullopt;
}

} // namespace

TextTable accountTable(const QSqlDatabase &db, bool withId)
{
    QList<TextTable::Column> columns;
    if (withId)
        columns.append({QStringLiteral("id"), QStringLiteral("ID"), true});
    columns.append({{QStringLiteral("name"), QStringLiteral("Name")},
                    {QStringLiteral("type"), QStringLiteral("Type")},
                    {QStringLiteral("opening"), QStringLiteral("Opening"), true},
                    {QStringLiteral("particulars"), QStringLiteral("Particulars")}});
    TextTable table(columns);
    const QHash<qint64, QString> typeNames = typeNamesById(db);
    const AccountFindResult found = findAccounts(db, QString(), QString(), QString());
    const RowArray &rows = found.rows;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList cells;
        if (withId)
            cells << QString::number(rows.intAt(r, AccountCol::Id));
        cells << rows.textAt(r, AccountCol::Name) << typeText(typeNames, rows, r)
              << rows.moneyAt(r, AccountCol::Opening).toPlain() << rows.textAt(r, AccountCol::Particulars);
        table.addRow(cells);
    }
    return table;
}

void importAccounts(const QSqlDatabase &db, const QList<CsvRecord> &records, const ImportProgress &progress)
{
    const ImportHeader header(records, {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("opening"),
                                        QStringLiteral("particulars")});
    const QHash<qint64, QString> typeNames = typeNamesById(db);

    // Start from the accounts as the window loads them; a record names an
    // account to change (matched as the book matches names) or a new one.
    RowArray rows = findAccounts(db, QString(), QString(), QString()).rows;
    std::vector<int> lineOfRow(size_t(rows.rowCount()), 0);
    const AccountDirectory directory(db);
    QHash<qint64, int> rowOfId;
    for (int r = 0; r < rows.rowCount(); ++r)
        rowOfId.insert(rows.intAt(r, AccountCol::Id), r);

    const int total = int(records.size()) - 1;
    for (int i = 1; i < records.size(); ++i) {
        const CsvRecord &record = records[i];
        const QStringList cells = header.cells(record);
        const QString name = cells[0];
        bool typeOk = true;
        const auto type = parseType(typeNames, cells[1], typeOk);
        if (!typeOk)
            throw refusal(QStringLiteral("line %1: there is no account type \"%2\"").arg(record.line).arg(cells[1]));
        std::optional<Money> opening;
        if (!cells[2].trimmed().isEmpty() && !(opening = Money::parse(cells[2])))
            throw refusal(QStringLiteral("line %1: the opening amount \"%2\" is not an amount")
                              .arg(record.line).arg(cells[2]));

        const auto existing = directory.find(name);
        const auto known = existing ? rowOfId.constFind(*existing) : rowOfId.constEnd();
        int r = -1;
        if (known != rowOfId.constEnd() && lineOfRow[size_t(*known)] == 0) {
            r = *known; // a second record of the same name is added, and refused as repeating
        } else {
            r = rows.appendRow();
            rows.setInt(r, AccountCol::Id, 0);
            rows.setText(r, AccountCol::Name, name);
            lineOfRow.push_back(0);
        }
        lineOfRow[size_t(r)] = record.line;
        if (type)
            rows.setInt(r, AccountCol::Type, *type);
        else
            rows.setNull(r, AccountCol::Type);
        if (opening)
            rows.setMoney(r, AccountCol::Opening, *opening);
        else
            rows.setNull(r, AccountCol::Opening);
        rows.setText(r, AccountCol::Particulars, cells[3]);
        rows.setText(r, AccountCol::Status, QStringLiteral("I"));
        if (progress)
            progress(i, total);
    }

    const AccountSaveResult saved = saveAccounts(db, rows, QDate::currentDate(), StagedDeletions::Ignore);
    if (saved.ok())
        return;
    const QString reason = withDetail(oneLine(saved.text), saved.detail);
    if (saved.refusedRow >= 0 && saved.refusedRow < rows.rowCount())
        throw refusal(QStringLiteral("line %1: %2").arg(lineOfRow[size_t(saved.refusedRow)]).arg(reason));
    throw refusal(reason);
}

} // namespace bc::cli
