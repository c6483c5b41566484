#include "ofxreader.h"

#include <QDateTime>
#include <QTemporaryFile>
#include <cmath>
#include <libofx/libofx.h>
#include <mutex>

namespace bc {

namespace {

// What libofx's callbacks hand over, gathered for one file.
struct OfxCollected {
    Statement statement;
    bool sawStatement = false;
    bool sawAccount = false;
    QString fault; // the first transaction libofx could not give in full
    QString faultWhere;
};

QDate dayOf(time_t when)
{
    // libofx turns a date without a time into the middle of that day, so the
    // local day is the day the bank wrote.
    return QDateTime::fromSecsSinceEpoch(qint64(when)).date();
}

std::optional<Money> centsOf(double amount)
{
    const double cents = std::round(amount * 100.0);
    if (!std::isfinite(cents) || std::fabs(cents) > double(Money::MaxCents))
        return std::nullopt;
    return Money::fromCents(qint64(cents));
}

QString textOf(const char *text, int valid)
{
    return valid ? QString::fromUtf8(text).trimmed() : QString();
}

int onAccount(const OfxAccountData data, void *context)
{
    auto &collected = *static_cast<OfxCollected *>(context);
    const QString account = textOf(data.account_number, data.account_number_valid);
    if (collected.sawAccount && account != collected.statement.accountIdentity && collected.fault.isEmpty()) {
        collected.faultWhere = QStringLiteral("ACCTID");
        collected.fault = QStringLiteral("the file holds statements of more than one account (%1 and %2)")
                              .arg(collected.statement.accountIdentity, account);
    }
    collected.sawAccount = true;
    collected.statement.accountIdentity = account;
    if (collected.statement.currency.isEmpty())
        collected.statement.currency = textOf(data.currency, data.currency_valid);
    return 0;
}

int onTransaction(const OfxTransactionData data, void *context)
{
    auto &collected = *static_cast<OfxCollected *>(context);
    const QString where = QStringLiteral("STMTTRN %1").arg(collected.statement.lines.size() + 1);
    StatementLine line;
    line.where = where;
    const auto amount = data.amount_valid ? centsOf(data.amount) : std::nullopt;
    const QDate date = data.date_posted_valid ? dayOf(data.date_posted) : QDate();
    if (collected.fault.isEmpty() && (!amount || !date.isValid())) {
        collected.faultWhere = where + (amount ? QStringLiteral("/DTPOSTED") : QStringLiteral("/TRNAMT"));
        collected.fault = amount ? QStringLiteral("missing or not a date") : QStringLiteral("missing or not an amount");
    }
    line.amount = amount.value_or(Money());
    line.date = date;
    line.uniqueId = textOf(data.fi_id, data.fi_id_valid);
    line.payee = textOf(data.name, data.name_valid);
    line.memo = textOf(data.memo, data.memo_valid);
    line.number = textOf(data.check_number, data.check_number_valid);
    collected.statement.lines.push_back(std::move(line));
    return 0;
}

int onStatement(const OfxStatementData data, void *context)
{
    auto &collected = *static_cast<OfxCollected *>(context);
    Statement &statement = collected.statement;
    collected.sawStatement = true;
    if (data.currency_valid)
        statement.currency = textOf(data.currency, 1);
    if (data.ledger_balance_valid) {
        statement.closingBalance = centsOf(data.ledger_balance);
        if (!statement.closingBalance && collected.fault.isEmpty()) {
            collected.faultWhere = QStringLiteral("LEDGERBAL/BALAMT");
            collected.fault = QStringLiteral("not an amount");
        }
    }
    if (data.date_start_valid)
        statement.periodStart = dayOf(data.date_start);
    if (data.date_end_valid)
        statement.periodEnd = dayOf(data.date_end);
    return 0;
}

// libofx reports that a file is invalid without saying where. The usual
// faults are named here: a transaction missing one of its required elements.
QString placeOfFault(const QByteArray &data)
{
    const QByteArray upper = data.toUpper();
    qsizetype at = upper.indexOf("<STMTTRN>");
    for (int n = 1; at >= 0; ++n) {
        const qsizetype next = upper.indexOf("<STMTTRN>", at + 9);
        const qsizetype close = upper.indexOf("</BANKTRANLIST>", at);
        qsizetype end = next < 0 ? upper.size() : next;
        if (close >= 0 && close < end)
            end = close;
        const QByteArray block = upper.mid(at, end - at);
        for (const char *required : {"TRNTYPE", "DTPOSTED", "TRNAMT", "FITID"})
            if (!block.contains(QByteArray("<") + required + '>'))
                return QStringLiteral("STMTTRN %1/%2").arg(n).arg(QLatin1String(required));
        at = next;
    }
    return {};
}

// libofx keeps global switches for what it prints; a reader prints nothing.
void silenceLibofx()
{
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = ofx_DEBUG4_msg =
        ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = ofx_WARNING_msg = ofx_ERROR_msg = 0;
}

} // namespace

Statement readOfxStatement(const QByteArray &data)
{
    const QString file = QStringLiteral("the file");
    if (!data.contains("<OFX>") && !data.contains("<ofx>"))
        throw StatementError(file, QStringLiteral("there is no <OFX> element"));
    // libofx reads only files, and its state is global: one file at a time.
    static std::mutex libofxInUse;
    const std::lock_guard lock(libofxInUse);
    QTemporaryFile copy;
    if (!copy.open() || copy.write(data) != data.size() || !copy.flush())
        throw StatementError(file, QStringLiteral("could not be copied for reading: %1").arg(copy.errorString()));

    silenceLibofx();
    OfxCollected collected;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_account_cb(context, onAccount, &collected);
    ofx_set_transaction_cb(context, onTransaction, &collected);
    ofx_set_statement_cb(context, onStatement, &collected);
    const int result = libofx_proc_file(context, QFile::encodeName(copy.fileName()).constData(), OFX);
    libofx_free_context(context);

    if (!collected.fault.isEmpty())
        throw StatementError(collected.faultWhere, collected.fault);
    if (result != 0) {
        const QString place = placeOfFault(data);
        if (!place.isEmpty())
            throw StatementError(place, QStringLiteral("missing"));
        throw StatementError(file, QStringLiteral("libofx finds it is not valid OFX and does not say where"));
    }
    if (!collected.sawStatement || !collected.sawAccount)
        throw StatementError(file, QStringLiteral("holds no bank statement that can be read (STMTRS)"));
    return collected.statement;
}

} // namespace bc
