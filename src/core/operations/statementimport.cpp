#include "statementimport.h"

#include "accountstore.h"
#include "amountsum.h"
#include "dates.h"
#include "dberror.h"
#include "history.h"
#include "historyrows.h"
#include "importrules.h"
#include "reconciliationstore.h"
#include "transactions.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace bc {

namespace {

constexpr int MatchDays = 3;

// The key of a line the bank gives no id: its date, amount and payee.
QString lineKey(const StatementLine &line)
{
    const QString id = line.uniqueId.trimmed();
    if (!id.isEmpty())
        return QStringLiteral("id:") + id;
    const QString text = isoDate(line.date) + u'|' + QString::number(line.amount.cents()) + u'|' + line.payee.trimmed();
    return QStringLiteral("h:")
        + QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// A transaction of the book the statement's lines may stand for.
struct Candidate {
    QDate date;
    qint64 tranId = 0;
    qint64 otherAccount = 0;
    bool taken = false;
};

// Transactions on the account's sides within the statement's dates (and the
// days a match may be off), not imported into it, by signed amount as a
// statement line shows them, each list in date order.
QHash<qint64, std::vector<Candidate>> matchCandidates(const Book &book, const Statement &statement, qint64 accountId,
                                                      bool importTables)
{
    QHash<qint64, std::vector<Candidate>> byAmount;
    QDate first, last;
    for (const StatementLine &line : statement.lines) {
        if (!line.date.isValid())
            continue;
        if (!first.isValid() || line.date < first)
            first = line.date;
        if (!last.isValid() || line.date > last)
            last = line.date;
    }
    if (!first.isValid())
        return byAmount;
    for (const MatchCandidate &c :
         readMatchCandidates(book, accountId, first.addDays(-MatchDays), last.addDays(MatchDays), importTables))
        byAmount[c.signedCents].push_back({c.date, c.tranId, c.otherAccount});
    return byAmount;
}

// The nearest untaken candidate within the days a match may be off.
Candidate *nearest(std::vector<Candidate> &candidates, const QDate &date)
{
    auto it = std::lower_bound(candidates.begin(), candidates.end(), date.addDays(-MatchDays),
                               [](const Candidate &c, const QDate &d) { return c.date < d; });
    Candidate *best = nullptr;
    for (; it != candidates.end() && it->date <= date.addDays(MatchDays); ++it) {
        if (!it->taken && (!best || std::abs(it->date.daysTo(date)) < std::abs(best->date.daysTo(date))))
            best = &*it;
    }
    return best;
}

// The keys recorded for the account, leaving out those whose transaction an
// undo of their import took away: the undo gives the lines back to be
// imported again.
QHash<QString, RecordedKey> recordedKeys(const Book &book, qint64 accountId)
{
    return readRecordedKeys(book, accountId);
}

// Keeps in history the transactions, now gone, whose lines the keys
// take over from an undone import (a skipped line's key names none).
void keepTakenOver(const Book &book, qint64 accountId, const QList<ImportedKey> &keys, ChangeRecorder &history)
{
    const QHash<QString, qint64> gone = readKeysOfGoneTransactions(book, accountId);
    QList<qint64> taken;
    for (const ImportedKey &key : keys)
        if (const auto found = gone.constFind(key.lineKey); found != gone.constEnd())
            taken << *found;
    history.keepBefore(HistoryTable::Transactions, taken);
}

Money accountBalance(const Book &book, qint64 accountId)
{
    const std::optional<qint64> opening = readOpeningCents(book, accountId);
    if (!opening)
        throw DbError(QStringLiteral("The account to import into is not in the book."));
    const QString what = QStringLiteral("the balance of the account");
    const auto side = [&](bool moneyIn) {
        return refusingOverflow(what, [&] { return Money::fromCents(sumMovementCents(book, accountId, moneyIn)); });
    };
    const Money in = side(true);
    const Money out = side(false);
    return addAmounts(addAmounts(Money::fromCents(*opening), in, what), -out, what);
}

// The bank shows the transactions the lines matched: their sides on the
// statement's account become cleared, where they are still new.
void clearMatchedSides(const Book &book, qint64 accountId, const QList<ImportedKey> &matched, ChangeRecorder &history)
{
    QSet<qint64> ids;
    for (const ImportedKey &key : matched)
        ids.insert(key.tranId);
    QList<SideMark> marks;
    QList<qint64> changed;
    for (const AccountMovement &m : unreconciledMovements(book, accountId, QDate()))
        if (m.status == SideStatus::New && ids.contains(m.transaction)) {
            marks.append({m.transaction, m.end, SideStatus::Cleared, 0});
            changed << m.transaction;
        }
    if (marks.isEmpty())
        return;
    history.keepBefore(HistoryTable::Transactions, changed);
    markSides(book, marks);
}

QString particularsOf(const StatementLine &line)
{
    const QString payee = line.payee.trimmed(), memo = line.memo.trimmed();
    if (payee.isEmpty() || memo.isEmpty() || memo == payee)
        return payee.isEmpty() ? memo : payee;
    return payee + QStringLiteral(" - ") + memo;
}

QString accountKey(qint64 id)
{
    return QStringLiteral("A") + QString::number(id);
}

// "Line 2 (2026-11-03, -45.00, TESCO): why", the line by its place in the
// preview as the user sees it.
QString lineFault(const StatementPreview &preview, const PreviewLine &line, const QString &why)
{
    const auto place = &line - preview.lines.data() + 1;
    QStringList parts{line.line.date.isValid() ? isoDate(line.line.date) : QStringLiteral("no date"),
                      line.line.amount.toPlain()};
    if (const QString payee = line.line.payee.trimmed(); !payee.isEmpty())
        parts << payee;
    else if (const QString memo = line.line.memo.trimmed(); !memo.isEmpty())
        parts << memo;
    return QStringLiteral("Line %1 (%2): %3").arg(place).arg(parts.join(QStringLiteral(", ")), why);
}

ImportResult refused(const StatementPreview &preview, const PreviewLine &line, const QString &why)
{
    ImportResult r;
    r.text = lineFault(preview, line, why);
    return r;
}

} // namespace

QString importStatusText(ImportStatus status)
{
    switch (status) {
    case ImportStatus::New: return QStringLiteral("New");
    case ImportStatus::Duplicate: return QStringLiteral("Duplicate");
    case ImportStatus::Matched: return QStringLiteral("Matched");
    case ImportStatus::Imported: return QStringLiteral("Imported");
    case ImportStatus::Skipped: break;
    }
    return QStringLiteral("Skipped");
}

qint64 PreviewLine::fromAccount(qint64 accountId) const
{
    return line.amount.isNegative() ? accountId : counterAccountId;
}

qint64 PreviewLine::toAccount(qint64 accountId) const
{
    return line.amount.isNegative() ? counterAccountId : accountId;
}

ImportTotals importTotals(const StatementPreview &preview)
{
    ImportTotals t;
    t.balanceAfter = preview.balanceNow;
    const QString what = QStringLiteral("the statement's totals");
    for (const PreviewLine &l : preview.lines) {
        if (l.line.amount.isNegative())
            t.moneyOut = addAmounts(t.moneyOut, -l.line.amount, what);
        else
            t.moneyIn = addAmounts(t.moneyIn, l.line.amount, what);
        switch (l.status) {
        case ImportStatus::New:
            ++t.added;
            t.balanceAfter = addAmounts(t.balanceAfter, l.line.amount, what);
            break;
        case ImportStatus::Matched: ++t.matched; break;
        case ImportStatus::Imported: ++t.imported; break;
        case ImportStatus::Duplicate: ++t.duplicates; break;
        case ImportStatus::Skipped: ++t.skipped; break;
        }
    }
    return t;
}

StatementPreview previewImport(const Book &book, const Statement &statement, qint64 accountId, qint64 uncategorisedId)
{
    const bool importTables = hasImportTables(book);
    StatementPreview preview;
    preview.accountId = accountId;
    preview.closingBalance = statement.closingBalance;
    preview.statementDate = statement.periodEnd;
    if (!preview.statementDate.isValid())
        for (const StatementLine &line : statement.lines)
            if (!preview.statementDate.isValid() || line.date > preview.statementDate)
                preview.statementDate = line.date;
    preview.balanceNow = accountBalance(book, accountId);
    const QList<ImportRule> rules = loadImportRules(book);
    const QHash<QString, RecordedKey> recorded = importTables ? recordedKeys(book, accountId)
                                                              : QHash<QString, RecordedKey>();
    QHash<qint64, std::vector<Candidate>> candidates = matchCandidates(book, statement, accountId, importTables);
    QHash<QString, int> seen;
    preview.lines.reserve(statement.lines.size());
    for (const StatementLine &line : statement.lines) {
        PreviewLine &p = preview.lines.emplace_back();
        p.line = line;
        p.key = lineKey(line);
        if (const int occurrence = ++seen[p.key]; occurrence > 1)
            p.key += u'#' + QString::number(occurrence);
        const qint64 ruled = ruleAccount(rules, line);
        p.counterAccountId = ruled ? ruled : uncategorisedId;
        const auto known = recorded.constFind(p.key);
        if (line.amount.isZero()) {
            p.status = ImportStatus::Skipped;
        } else if (known != recorded.cend() && known->tranId == 0) {
            p.skippedBefore = true;
            p.status = ImportStatus::Skipped;
        } else if (known != recorded.cend()) {
            p.importedBefore = true;
            p.status = ImportStatus::Duplicate;
            if (known->counterAccountId)
                p.counterAccountId = known->counterAccountId;
        } else if (auto found = candidates.find(line.amount.cents());
                   found != candidates.end() && line.date.isValid()) {
            if (Candidate *match = nearest(*found, line.date)) {
                match->taken = true;
                p.status = ImportStatus::Matched;
                p.matchedTranId = match->tranId;
                p.counterAccountId = match->otherAccount;
            }
        }
    }
    return preview;
}

ImportResult applyImport(Book &book, const StatementPreview &preview, const QDateTime &now)
{
    if (!hasImportTables(book)) {
        ImportResult r;
        r.text = QStringLiteral("This book cannot record imports: it is of an older format, open read-only.");
        return r;
    }
    const QSet<qint64> accounts = readAccountIds(book);
    RowArray rows = makeTranRows();
    std::vector<const PreviewLine *> added;
    QList<ImportedKey> matchedKeys;
    QList<ImportedKey> skippedKeys;
    ImportResult result;
    for (const PreviewLine &l : preview.lines) {
        switch (l.status) {
        case ImportStatus::New: {
            if (!l.line.date.isValid())
                return refused(preview, l, QStringLiteral("the line has no date; set it to Skipped"));
            if (l.line.amount.isZero())
                return refused(preview, l, QStringLiteral("a line of no amount cannot be added; set it to Skipped"));
            if (l.counterAccountId == 0 || !accounts.contains(l.counterAccountId))
                return refused(preview, l,
                               QStringLiteral("choose a counter-account, or make an account named Uncategorised"));
            if (l.counterAccountId == preview.accountId)
                return refused(preview, l,
                               QStringLiteral("the counter-account is the account the statement is imported into; "
                                              "choose another"));
            const int r = rows.appendRow();
            rows.setInt(r, TranCol::Id, 0);
            rows.setDate(r, TranCol::Date, l.line.date);
            rows.setText(r, TranCol::From, accountKey(l.fromAccount(preview.accountId)));
            rows.setText(r, TranCol::To, accountKey(l.toAccount(preview.accountId)));
            rows.setMoney(r, TranCol::Amount, l.line.amount.abs());
            rows.setText(r, TranCol::Particulars, particularsOf(l.line));
            rows.setEditMark(r, TranCol::Status, EditMark::Changed);
            added.push_back(&l);
            break;
        }
        case ImportStatus::Matched:
            if (l.matchedTranId <= 0)
                return refused(preview, l,
                               QStringLiteral("the line is matched to no transaction; set it to New or Skipped"));
            if (!l.importedBefore) {
                matchedKeys.append({preview.accountId, l.key, l.matchedTranId});
                result.written.insert(l.key, ImportStatus::Matched);
            }
            ++result.matched;
            break;
        case ImportStatus::Duplicate:
        case ImportStatus::Imported: ++result.duplicates; break;
        case ImportStatus::Skipped:
            // Remembered, so the line is not offered as new next time; a line
            // of no amount is skipped every time anyway.
            if (!l.importedBefore && !l.skippedBefore && !l.line.amount.isZero())
                skippedKeys.append({preview.accountId, l.key, qint64(0)});
            ++result.skipped;
            break;
        }
    }
    QString fault;
    const auto recordKeys = [&](const QList<qint64> &ids, ChangeRecorder &history) {
        const QHash<QString, RecordedKey> before = recordedKeys(book, preview.accountId);
        QList<ImportedKey> keys = matchedKeys;
        for (std::size_t i = 0; i < added.size(); ++i)
            if (!added[i]->importedBefore)
                keys.append({preview.accountId, added[i]->key, ids.at(qsizetype(i))});
        for (const PreviewLine &l : preview.lines) {
            const bool recorded = l.status == ImportStatus::New || l.status == ImportStatus::Matched;
            const auto known = before.constFind(l.key);
            if (recorded && !l.importedBefore && known != before.cend() && known->tranId != 0) {
                fault = lineFault(preview, l,
                                  QStringLiteral("it was imported into this account since the statement was read; "
                                                 "read it again"));
                throw DbError(fault);
            }
        }
        // A key an undone import or a skip left behind is taken over. The
        // change set keeps the transaction an undone import had added, as a
        // row that was not there: a redo of that import, which would bring
        // the lines back a second time, is then refused as touching rows of
        // this import.
        keepTakenOver(book, preview.accountId, keys, history);
        recordImportedKeys(book, keys);
        // A line left out never takes over the key of one imported meanwhile.
        recordSkippedKeys(book, skippedKeys);
        clearMatchedSides(book, preview.accountId, matchedKeys, history);
        if (preview.closingBalance && preview.statementDate.isValid())
            keepStatementBalance(book, preview.accountId, {preview.statementDate, preview.closingBalance->cents()},
                                 now);
    };
    const TranSaveResult saved = saveTransactions(book, rows, now, {}, QStringLiteral("statement import"), recordKeys,
                                                  preview.accountId);
    if (!saved.ok()) {
        ImportResult r;
        if (saved.refusedRow >= 0)
            r.text = lineFault(preview, *added.at(std::size_t(saved.refusedRow)), saved.text);
        else
            r.text = !fault.isEmpty() ? fault
                : saved.detail.isEmpty() || saved.text.contains(saved.detail)
                ? saved.text
                : saved.text + QStringLiteral(": ") + saved.detail;
        return r;
    }
    result.ok = true;
    result.added = int(added.size());
    result.addedIds = saved.savedIds;
    for (const PreviewLine *l : added)
        result.written.insert(l->key, ImportStatus::Imported);
    return result;
}

void showWritten(StatementPreview &preview, const QHash<QString, ImportStatus> &written)
{
    for (PreviewLine &l : preview.lines)
        if (l.status == ImportStatus::Duplicate)
            l.status = written.value(l.key, ImportStatus::Duplicate);
}

} // namespace bc
