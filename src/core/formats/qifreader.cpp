#include "qifreader.h"

#include "qifamounts.h"
#include "textencoding.h"

#include <QRegularExpression>

namespace bc {

namespace {

QString lineName(int line)
{
    return QStringLiteral("line %1").arg(line);
}

// A QIF date's three numbers as written: "3/4/2024", "3.4.24", "3/4'24"
// (the apostrophe marking a year of the 2000s) or "2024-04-03".
struct QifDate {
    QString text;
    int line = 0;
    int first = 0;
    int second = 0;
    int year = 0;
    bool yearFirst = false;

    QDate as(DateOrder order) const
    {
        if (yearFirst)
            return QDate(year, first, second);
        if (order == DateOrder::DayMonthYear)
            return QDate(year, second, first);
        if (order == DateOrder::MonthDayYear)
            return QDate(year, first, second);
        return {};
    }
    bool readsBothWays() const
    {
        return !yearFirst && first != second && as(DateOrder::DayMonthYear).isValid()
            && as(DateOrder::MonthDayYear).isValid();
    }
};

std::optional<QifDate> splitDate(const QString &text, int line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,4})\\s*[/.-]\\s*(\\d{1,2})\\s*([/.'-])\\s*(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QifDate date;
    date.text = text.trimmed();
    date.line = line;
    if (match.capturedLength(1) == 4) {
        date.yearFirst = true;
        date.year = match.captured(1).toInt();
        date.first = match.captured(2).toInt();
        date.second = match.captured(4).toInt();
        return match.capturedLength(4) <= 2 ? std::optional(date) : std::nullopt;
    }
    if (match.capturedLength(1) > 2 || match.capturedLength(4) == 3 || match.capturedLength(4) == 1)
        return std::nullopt;
    date.first = match.captured(1).toInt();
    date.second = match.captured(2).toInt();
    date.year = match.captured(4).toInt();
    // Two-digit years: after an apostrophe the 2000s; otherwise the 1900s
    // from 70 on, as older files wrote them, and the 2000s below.
    if (match.capturedLength(4) == 2)
        date.year += match.captured(3) == QLatin1String("'") || date.year < 70 ? 2000 : 1900;
    return date;
}

struct QifRecord {
    std::optional<QifDate> date;
    QString amountText;
    int amountLine = 0;
    StatementLine statementLine;
};

QString chooseOrderMessage(const QifDate &date)
{
    return QStringLiteral("dates such as %1 can be read day-first or month-first; choose the order").arg(date.text);
}

// The order every date of the file reads in, or a refusal naming the
// first date that settles nothing or contradicts the others.
DateOrder detectedOrder(const std::vector<QifRecord> &records)
{
    bool dayFirst = true;
    bool monthFirst = true;
    const QifDate *firstAmbiguous = nullptr;
    for (const QifRecord &record : records) {
        const QifDate &date = *record.date;
        const bool asDay = date.as(DateOrder::DayMonthYear).isValid();
        const bool asMonth = date.as(DateOrder::MonthDayYear).isValid();
        if ((!asDay || !dayFirst) && (!asMonth || !monthFirst))
            throw StatementError(lineName(date.line),
                                 !asDay && !asMonth
                                     ? QStringLiteral("\"%1\" is not a date").arg(date.text)
                                     : QStringLiteral("\"%1\" reads only %2, unlike the dates before it")
                                           .arg(date.text,
                                                asDay ? QStringLiteral("day-first") : QStringLiteral("month-first")));
        dayFirst = dayFirst && asDay;
        monthFirst = monthFirst && asMonth;
        if (!firstAmbiguous && date.readsBothWays())
            firstAmbiguous = &date;
    }
    if (dayFirst && monthFirst && firstAmbiguous)
        throw StatementError(lineName(firstAmbiguous->line), chooseOrderMessage(*firstAmbiguous));
    return dayFirst ? DateOrder::DayMonthYear : DateOrder::MonthDayYear;
}

// The account types whose register this reader takes. In each the amount
// is as it moves that account: for a card (CCard) or another liability
// (Oth L) a charge is negative, money out of the account that raises what is
// owed, and a payment to it positive, as in a bank register.
const QStringList RegisterTypes{QStringLiteral("Bank"), QStringLiteral("Cash"), QStringLiteral("CCard"),
                                QStringLiteral("Oth A"), QStringLiteral("Oth L")};
// Lists a file may carry beside its register: passed over.
const QStringList ListTypes{QStringLiteral("Cat"), QStringLiteral("Class"), QStringLiteral("Memorized"),
                            QStringLiteral("Security"), QStringLiteral("Prices")};

QString sectionType(const QString &header)
{
    return header.section(u':', 1).simplified();
}

bool isRegisterSection(const QString &header, int line)
{
    const QString type = sectionType(header);
    if (RegisterTypes.contains(type, Qt::CaseInsensitive))
        return true;
    if (ListTypes.contains(type, Qt::CaseInsensitive))
        return false;
    if (type.compare(QLatin1String("Invst"), Qt::CaseInsensitive) == 0)
        throw StatementError(lineName(line),
                             QStringLiteral("!Type:%1 is an investment account, whose trades this program does not "
                                            "import; export a bank, cash or card account")
                                 .arg(type));
    throw StatementError(lineName(line),
                         QStringLiteral("!Type:%1 is no account type this program reads (%2)")
                             .arg(type, RegisterTypes.join(QStringLiteral(", "))));
}

class QifParser {
public:
    explicit QifParser(const QString &text)
        : m_lines(text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
    {
    }

    void run()
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i)
            readLine(int(qMin<qsizetype>(i + 1, INT_MAX)), m_lines[i]);
        finishRecord();
        if (!m_sawRegister)
            throw StatementError(lineName(1),
                                 QStringLiteral("the file holds no account's transactions (!Type:%1)")
                                     .arg(RegisterTypes.join(QStringLiteral(", !Type:"))));
    }

    std::vector<QifRecord> records;
    QString accountName;

private:
    const QStringList m_lines;
    enum class Section { Other, Register, Account };
    Section m_section = Section::Other;
    bool m_sawRegister = false;
    QString m_registerAccount; // the account whose register is being read
    std::optional<QifRecord> m_record;

    void readLine(int number, const QString &raw)
    {
        const QString text = raw.trimmed();
        if (text.isEmpty())
            return;
        if (text.startsWith(u'!')) {
            finishRecord();
            if (text.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive)) {
                m_section = isRegisterSection(text, number) ? Section::Register : Section::Other;
                if (m_section == Section::Register)
                    enterRegister(number);
            } else if (text.compare(QLatin1String("!Account"), Qt::CaseInsensitive) == 0) {
                m_section = Section::Account;
            } else if (!text.startsWith(QLatin1String("!Option"), Qt::CaseInsensitive)
                       && !text.startsWith(QLatin1String("!Clear"), Qt::CaseInsensitive)) {
                m_section = Section::Other;
            }
            return;
        }
        if (m_section == Section::Account) {
            if (text.front() == u'N')
                accountName = text.mid(1).trimmed();
            return;
        }
        if (m_section != Section::Register)
            return;
        if (text.front() == u'^') {
            finishRecord();
            return;
        }
        if (!m_record) {
            m_record.emplace();
            m_record->statementLine.where = lineName(number);
        }
        readField(number, text.front(), text.mid(1).trimmed());
    }

    // A file written with several accounts holds a register for each: they
    // are not one statement.
    void enterRegister(int number)
    {
        if (m_sawRegister && accountName != m_registerAccount && !records.empty())
            throw StatementError(lineName(number),
                                 QStringLiteral("the file holds the transactions of more than one account (\"%1\" "
                                                "and \"%2\"); write one account to a file")
                                     .arg(m_registerAccount, accountName));
        m_sawRegister = true;
        m_registerAccount = accountName;
    }

    void readField(int number, QChar code, const QString &value)
    {
        StatementLine &line = m_record->statementLine;
        switch (code.unicode()) {
        case u'D':
            m_record->date = splitDate(value, number);
            if (!m_record->date)
                throw StatementError(lineName(number), QStringLiteral("\"%1\" is not a date").arg(value));
            break;
        case u'T':
        case u'U':
            if (m_record->amountText.isEmpty() || code == u'T') {
                m_record->amountText = value;
                m_record->amountLine = number;
            }
            break;
        case u'P': line.payee = value; break;
        case u'M': line.memo = value; break;
        case u'N': line.number = value; break;
        default: // category, cleared mark, address, splits: not the bank's
            break;
        }
    }

    void finishRecord()
    {
        if (!m_record)
            return;
        QifRecord record = std::move(*m_record);
        m_record.reset();
        if (!record.date)
            throw StatementError(record.statementLine.where, QStringLiteral("the record has no date (D)"));
        if (record.amountText.isEmpty())
            throw StatementError(record.statementLine.where, QStringLiteral("the record has no amount (T)"));
        records.push_back(std::move(record));
    }
};

} // namespace

Statement readQifStatement(const QByteArray &data, std::optional<DateOrder> order, TextEncoding encoding)
{
    QifParser parser(decodeStatementText(data, encoding));
    parser.run();
    std::vector<QifAmountText> amountTexts;
    amountTexts.reserve(parser.records.size());
    for (const QifRecord &record : parser.records)
        amountTexts.push_back({record.amountText, record.amountLine});
    const std::vector<Money> amounts = readQifAmounts(amountTexts);
    for (std::size_t i = 0; i < amounts.size(); ++i)
        parser.records[i].statementLine.amount = amounts[i];
    const DateOrder used = order ? *order : detectedOrder(parser.records);
    Statement statement;
    statement.accountIdentity = parser.accountName;
    statement.lines.reserve(parser.records.size());
    for (QifRecord &record : parser.records) {
        record.statementLine.date = record.date->as(used);
        if (!record.statementLine.date.isValid())
            throw StatementError(lineName(record.date->line),
                                 QStringLiteral("\"%1\" is not a date in the order chosen").arg(record.date->text));
        statement.lines.push_back(std::move(record.statementLine));
    }
    return statement;
}

} // namespace bc
