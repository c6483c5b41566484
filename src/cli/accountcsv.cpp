#include "accountcsv.h"

#include "accounts.h"
#include "bookaccess.h"
#include "clierror.h"
#include "importheader.h"
#include "textroutines.h"
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

QHash<qint64, QString> typeNamesById(const Book &book)
{
    QHash<qint64, QString> names;
    for (const IdName &t : accountTypes(book))
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

// Whether a record says exactly what the book holds for the account in row r.
bool sameAccount(const RowArray &rows, int r, const QString &name, std::optional<qint64> type,
                 std::optional<Money> opening, const QString &particulars)
{
    const qint64 storedType = rows.isNull(r, AccountCol::Type) ? 0 : rows.intAt(r, AccountCol::Type);
    return rows.textAt(r, AccountCol::Name) == name.trimmed() && storedType == type.value_or(0)
        && rows.moneyAt(r, AccountCol::Opening) == opening.value_or(Money())
        && NullToText(rows.textAt(r, AccountCol::Particulars)) == NullToText(particulars);
}

} // namespace

TextTable accountTable(const Book &book, bool withId)
{
    QList<TextTable::Column> columns;
    if (withId)
        columns.append({QStringLiteral("id"), QStringLiteral("ID"), true});
    columns.append({{QStringLiteral("name"), QStringLiteral("Name")},
                    {QStringLiteral("type"), QStringLiteral("Type")},
                    {QStringLiteral("opening"), QStringLiteral("Opening"), true},
                    {QStringLiteral("particulars"), QStringLiteral("Particulars")}});
    TextTable table(columns);
    const QHash<qint64, QString> typeNames = typeNamesById(book);
    const AccountFindResult found = findAccounts(book, QString(), QString(), QString());
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

void importAccounts(Book &book, const QList<CsvRecord> &records, ExistingAccounts existing,
                    const ImportProgress &progress)
{
    const ImportHeader header(records,
                              {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("opening"),
                               QStringLiteral("particulars")});
    const QHash<qint64, QString> typeNames = typeNamesById(book);

    // Start from the accounts as the window loads them; a record names an
    // account already in the book (by accountNameKey) or a new one.
    RowArray rows = findAccounts(book, QString(), QString(), QString()).rows;
    std::vector<int> lineOfRow(size_t(rows.rowCount()), 0);
    QHash<QString, int> rowOfName;
    for (int r = 0; r < rows.rowCount(); ++r)
        rowOfName.insert(accountNameKey(rows.textAt(r, AccountCol::Name)), r);

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
            throw refusal(
                QStringLiteral("line %1: the opening amount \"%2\" is not an amount").arg(record.line).arg(cells[2]));

        const auto known = rowOfName.constFind(accountNameKey(name));
        int r = -1;
        bool unchanged = false;
        if (known != rowOfName.constEnd() && lineOfRow[size_t(*known)] == 0) {
            r = *known; // a second record of the same name is added, and refused as repeating
            lineOfRow[size_t(r)] = record.line;
            unchanged = sameAccount(rows, r, name, type, opening, cells[3]);
            if (!unchanged && existing == ExistingAccounts::Refuse)
                throw refusal(QStringLiteral("line %1: %2").arg(record.line).arg(oneLine(existingNameMessage())));
        } else {
            r = rows.appendRow();
            lineOfRow.push_back(record.line);
            rows.setInt(r, AccountCol::Id, 0);
            rows.setText(r, AccountCol::Name, name);
        }
        // A record identical to the account is left as it is; otherwise an
        // empty field keeps what the book holds (nothing, for a new account).
        if (!unchanged) {
            if (type)
                rows.setInt(r, AccountCol::Type, *type);
            if (opening)
                rows.setMoney(r, AccountCol::Opening, *opening);
            if (!NullToText(cells[3]).isEmpty())
                rows.setText(r, AccountCol::Particulars, cells[3]);
            rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
        }
        if (progress)
            progress(i, total);
    }

    const AccountSaveResult saved = saveAccounts(book, rows, QDate::currentDate(), {}, QStringLiteral("import"));
    if (saved.ok())
        return;
    const QString reason = withDetail(oneLine(saved.text), saved.detail);
    if (saved.refusedRow >= 0 && saved.refusedRow < rows.rowCount())
        throw refusal(QStringLiteral("line %1: %2").arg(lineOfRow[size_t(saved.refusedRow)]).arg(reason));
    throw refusal(reason);
}

} // namespace bc::cli
