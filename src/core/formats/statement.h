#pragma once

#include "money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>
#include <stdexcept>
#include <vector>

namespace bc {

// A bank's statement as every reader returns it, whatever the file's format.

// One movement on the statement's account: a positive amount is money in.
struct StatementLine {
    QDate date;
    Money amount;
    QString payee;
    QString memo;
    // The bank's own id of the line (OFX FITID, CAMT AcctSvcrRef); empty when
    // the format or the file gives none.
    QString uniqueId;
    // The cheque or reference number where the file gives one (QIF N, OFX
    // CHECKNUM).
    QString number;
    // Where the line stands in the file (line number or element path), for
    // naming it in a refusal.
    QString where;
};

struct Statement {
    QString accountIdentity; // IBAN or account number, as the file gives it
    QString currency; // ISO 4217 code, empty when the file states none
    QDate periodStart; // invalid when the file states no period
    QDate periodEnd;
    std::optional<Money> openingBalance;
    std::optional<Money> closingBalance;
    std::vector<StatementLine> lines;
};

// A file a reader refuses: nothing of it is imported. where names the line
// ("line 12") or element ("Ntry 3/Amt") at fault, reason says what is wrong.
class StatementError : public std::runtime_error {
public:
    // A NUL of the file quoted in the reason shows as a visible sign: text
    // cut at it would hide the reason.
    StatementError(QString where, QString reason)
        : std::runtime_error((where + QStringLiteral(": ") + reason).toStdString())
        , m_where(withVisibleNuls(std::move(where)))
        , m_reason(withVisibleNuls(std::move(reason)))
    {
    }
    const QString &where() const { return m_where; }
    const QString &reason() const { return m_reason; }
    QString text() const { return m_where + QStringLiteral(": ") + m_reason; }

private:
    static QString withVisibleNuls(QString text) { return text.replace(QChar(0), QChar(0x2400)); }

    QString m_where;
    QString m_reason;
};

enum class StatementFormat { Ofx, Qif, Camt053, Csv };

// Which text encoding a file's bytes are read in (QIF, CSV).
enum class TextEncoding { Utf8, Windows1252 };

// The order of day, month and year in a file's dates.
enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// How the columns of a bank's CSV file are read. Columns count from 0; -1
// means the file has no such column.
struct CsvMapping {
    QString name; // the name it is saved under in the book
    QChar delimiter = u',';
    TextEncoding encoding = TextEncoding::Utf8;
    int skipRows = 1; // header rows before the first line
    int dateColumn = 0;
    // The date's pattern in QDate::fromString form ("dd.MM.yyyy",
    // "yyyy/MM/dd", "M/d/yyyy").
    QString datePattern = QStringLiteral("yyyy-MM-dd");
    int amountColumn = 1; // one signed amount column, or -1 with the two below
    int debitColumn = -1; // money out, written positive or negative
    int creditColumn = -1; // money in
    QChar decimalSeparator = u'.';
    QString thousandsSeparators = QStringLiteral(", "); // besides the decimal one
    QString currencySymbols = QStringLiteral("$€£"); // dropped where they stand
    bool parenthesesNegative = true; // "(12.50)" is -12.50
    int payeeColumn = 2;
    int memoColumn = -1;
};

} // namespace bc
