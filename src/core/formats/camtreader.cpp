#include "camtreader.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <memory>

namespace bc {

namespace {

// The document as a small tree, built without recursion and limited in
// depth so that no file can exhaust the stack.
struct Element {
    QString name;
    QString text;
    QString currency; // the Ccy attribute of amounts
    std::vector<std::unique_ptr<Element>> children;

    const Element *child(QStringView childName) const
    {
        for (const auto &c : children)
            if (c->name == childName)
                return c.get();
        return nullptr;
    }
    // The descendant along a path such as "Tp/CdOrPrtry/Cd".
    const Element *at(QStringView path) const
    {
        const Element *e = this;
        for (const QStringView step : path.tokenize(u'/')) {
            e = e->child(step);
            if (!e)
                return nullptr;
        }
        return e;
    }
    QString textAt(QStringView path) const
    {
        const Element *e = at(path);
        return e ? e->text.trimmed() : QString();
    }
    std::vector<const Element *> all(QStringView childName) const
    {
        std::vector<const Element *> found;
        for (const auto &c : children)
            if (c->name == childName)
                found.push_back(c.get());
        return found;
    }
};

constexpr int MaxDepth = 64;

std::unique_ptr<Element> parseDocument(const QByteArray &data)
{
    QXmlStreamReader xml(data);
    auto root = std::make_unique<Element>();
    std::vector<Element *> open{root.get()};
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() > MaxDepth)
                throw StatementError(QStringLiteral("line %1").arg(xml.lineNumber()),
                                     QStringLiteral("the elements nest too deeply"));
            auto element = std::make_unique<Element>();
            element->name = xml.name().toString();
            element->currency = xml.attributes().value(QLatin1String("Ccy")).toString();
            if (open.size() == 1)
                element->text = xml.namespaceUri().toString(); // the root keeps its namespace
            Element *raw = element.get();
            open.back()->children.push_back(std::move(element));
            open.push_back(raw);
            break;
        }
        case QXmlStreamReader::EndElement: open.pop_back(); break;
        case QXmlStreamReader::Characters:
            if (open.size() > 2)
                open.back()->text += xml.text();
            break;
        default: break;
        }
    }
    if (xml.hasError())
        throw StatementError(QStringLiteral("line %1").arg(xml.lineNumber()), xml.errorString());
    return root;
}

class CamtReader {
public:
    Statement statement;

    void readDocument(const Element &document)
    {
        static const QRegularExpression camt053(
            QStringLiteral("^urn:iso:std:iso:20022:tech:xsd:camt\\.053\\.001\\.0([2-8])$"));
        if (document.name != QLatin1String("Document") || !camt053.match(document.text).hasMatch())
            throw StatementError(document.name,
                                 QStringLiteral("not a camt.053 statement of versions 001.02 to 001.08 (\"%1\")")
                                     .arg(document.text));
        const Element *body = document.child(u"BkToCstmrStmt");
        if (!body)
            throw StatementError(QStringLiteral("Document/BkToCstmrStmt"), QStringLiteral("missing"));
        const auto statements = body->all(u"Stmt");
        if (statements.empty())
            throw StatementError(QStringLiteral("BkToCstmrStmt/Stmt"), QStringLiteral("missing"));
        for (size_t i = 0; i < statements.size(); ++i)
            readStmt(*statements[i], QStringLiteral("Stmt %1").arg(i + 1), i == 0);
    }

private:
    // The day of an ISO date or date and time, as the bank wrote it.
    static QDate isoDay(const QString &text)
    {
        return text.size() >= 10 ? QDate::fromString(text.left(10), Qt::ISODate) : QDate();
    }

    static QDate dateOf(const Element *dateChoice)
    {
        if (!dateChoice)
            return {};
        const QString dt = dateChoice->textAt(u"Dt");
        return isoDay(dt.isEmpty() ? dateChoice->textAt(u"DtTm") : dt);
    }

    // An amount and its indicator: DBIT makes it negative.
    static Money signedAmount(const Element *amount, const QString &indicator, const QString &where)
    {
        if (!amount)
            throw StatementError(where + QStringLiteral("/Amt"), QStringLiteral("missing"));
        const auto value = Money::parse(amount->text.trimmed());
        if (!value || value->isNegative())
            throw StatementError(where + QStringLiteral("/Amt"),
                                 QStringLiteral("\"%1\" is not an amount").arg(amount->text.trimmed()));
        if (indicator == QLatin1String("DBIT"))
            return -*value;
        if (indicator == QLatin1String("CRDT"))
            return *value;
        throw StatementError(where + QStringLiteral("/CdtDbtInd"),
                             QStringLiteral("\"%1\" is neither CRDT nor DBIT").arg(indicator));
    }

    void readStmt(const Element &stmt, const QString &where, bool first)
    {
        QString account = stmt.textAt(u"Acct/Id/IBAN");
        if (account.isEmpty())
            account = stmt.textAt(u"Acct/Id/Othr/Id");
        if (!statement.accountIdentity.isEmpty() && account != statement.accountIdentity)
            throw StatementError(where + QStringLiteral("/Acct"),
                                 QStringLiteral("the file holds statements of more than one account"));
        statement.accountIdentity = account;
        if (statement.currency.isEmpty())
            statement.currency = stmt.textAt(u"Acct/Ccy");

        const QDate from = isoDay(stmt.textAt(u"FrToDt/FrDtTm"));
        const QDate to = isoDay(stmt.textAt(u"FrToDt/ToDtTm"));
        if (from.isValid() && (!statement.periodStart.isValid() || from < statement.periodStart))
            statement.periodStart = from;
        if (to.isValid() && (!statement.periodEnd.isValid() || to > statement.periodEnd))
            statement.periodEnd = to;

        const auto balances = stmt.all(u"Bal");
        for (size_t i = 0; i < balances.size(); ++i)
            readBalance(*balances[i], where + QStringLiteral("/Bal %1").arg(i + 1), first);
        const auto entries = stmt.all(u"Ntry");
        for (size_t i = 0; i < entries.size(); ++i)
            readEntry(*entries[i], where + QStringLiteral("/Ntry %1").arg(i + 1));
    }

    void readBalance(const Element &balance, const QString &where, bool firstStmt)
    {
        const QString code = balance.textAt(u"Tp/CdOrPrtry/Cd");
        const bool opening = code == QLatin1String("OPBD") || code == QLatin1String("PRCD");
        const bool closing = code == QLatin1String("CLBD");
        if (!opening && !closing)
            return;
        const Money amount = signedAmount(balance.child(u"Amt"), balance.textAt(u"CdtDbtInd"), where);
        if (statement.currency.isEmpty())
            statement.currency = balance.child(u"Amt")->currency;
        // The first statement's opening balance and the last one's closing.
        if (opening && firstStmt && (!statement.openingBalance || code == QLatin1String("OPBD")))
            statement.openingBalance = amount;
        if (closing)
            statement.closingBalance = amount;
    }

    static QString payeeOf(const Element *details, bool moneyIn)
    {
        if (!details)
            return {};
        const QString party = moneyIn ? QStringLiteral("RltdPties/Dbtr") : QStringLiteral("RltdPties/Cdtr");
        const QString name = details->textAt(party + QStringLiteral("/Nm"));
        return name.isEmpty() ? details->textAt(party + QStringLiteral("/Pty/Nm")) : name;
    }

    static QString memoOf(const Element *details, const Element &entry)
    {
        QStringList parts;
        if (const Element *remittance = details ? details->child(u"RmtInf") : nullptr)
            for (const Element *line : remittance->all(u"Ustrd"))
                parts << line->text.trimmed();
        if (parts.isEmpty() && details)
            parts << details->textAt(u"AddtlTxInf");
        parts.removeAll(QString());
        return parts.isEmpty() ? entry.textAt(u"AddtlNtryInf") : parts.join(u' ');
    }

    void readEntry(const Element &entry, const QString &where)
    {
        const Element *status = entry.child(u"Sts");
        const QString statusCode = status ? (status->child(u"Cd") ? status->textAt(u"Cd") : status->text.trimmed())
                                          : QString();
        if (statusCode == QLatin1String("PDNG") || statusCode == QLatin1String("INFO"))
            return;
        const Money amount = signedAmount(entry.child(u"Amt"), entry.textAt(u"CdtDbtInd"), where);
        QDate date = dateOf(entry.child(u"BookgDt"));
        if (!date.isValid())
            date = dateOf(entry.child(u"ValDt"));
        if (!date.isValid())
            throw StatementError(where + QStringLiteral("/BookgDt"), QStringLiteral("missing or not a date"));
        const QString reference = entry.textAt(u"AcctSvcrRef");

        std::vector<const Element *> details;
        for (const Element *group : entry.all(u"NtryDtls"))
            for (const Element *one : group->all(u"TxDtls"))
                details.push_back(one);

        std::vector<StatementLine> parts;
        if (details.size() > 1)
            parts = batchLines(details, amount, reference, where);
        if (parts.empty()) {
            StatementLine line;
            line.amount = amount;
            line.uniqueId = reference;
            line.where = where;
            const Element *only = details.size() == 1 ? details.front() : nullptr;
            line.payee = payeeOf(only, !amount.isNegative());
            line.memo = memoOf(only, entry);
            parts.push_back(line);
        }
        for (StatementLine &line : parts) {
            line.date = date;
            statement.lines.push_back(std::move(line));
        }
    }

    // One line per transaction of a batch, or none when a transaction
    // states no amount of its own or the amounts miss the entry's.
    std::vector<StatementLine> batchLines(const std::vector<const Element *> &details, Money entryAmount,
                                          const QString &reference, const QString &where)
    {
        std::vector<StatementLine> lines;
        Money sum;
        for (size_t i = 0; i < details.size(); ++i) {
            const Element &one = *details[i];
            const QString at = where + QStringLiteral("/TxDtls %1").arg(i + 1);
            const Element *amount = one.child(u"Amt");
            if (!amount)
                amount = one.at(u"AmtDtls/TxAmt/Amt");
            if (!amount)
                return {};
            QString indicator = one.textAt(u"CdtDbtInd");
            if (indicator.isEmpty())
                indicator = entryAmount.isNegative() ? QStringLiteral("DBIT") : QStringLiteral("CRDT");
            StatementLine line;
            line.amount = signedAmount(amount, indicator, at);
            sum += line.amount;
            line.where = at;
            line.payee = payeeOf(&one, !line.amount.isNegative());
            line.memo = memoOf(&one, one);
            line.uniqueId = one.textAt(u"Refs/AcctSvcrRef");
            if (line.uniqueId.isEmpty() || line.uniqueId == reference)
                line.uniqueId = reference.isEmpty() ? QString() : reference + QStringLiteral("/%1").arg(i + 1);
            lines.push_back(std::move(line));
        }
        if (sum != entryAmount)
            throw StatementError(where,
                                 QStringLiteral("the amounts of its transactions do not add up to %1")
                                     .arg(entryAmount.toPlain()));
        return lines;
    }
};

} // namespace

Statement readCamtStatement(const QByteArray &data)
{
    const std::unique_ptr<Element> root = parseDocument(data);
    if (root->children.empty())
        throw StatementError(QStringLiteral("line 1"), QStringLiteral("the file holds no XML element"));
    CamtReader reader;
    reader.readDocument(*root->children.front());
    return reader.statement;
}

} // namespace bc
